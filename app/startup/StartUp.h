#pragma once
// The start-up block's single-instance side: the per-session lock that tells
// the first instance from a later one, the marker while which the running
// instance answers, and what a later launch asks of the running one.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

class THandOffClient;

// Names the lock, the hand-off socket and the marker.
inline constexpr char InstanceGuid[] = "{BBD4BEB9-6735-4686-AC6E-589E617395F5}";
// dwData of a hand-off of paths.
constexpr uint32_t InstanceMarker = 0x1111;
// The longest a later launch waits for each answer of the running instance.
constexpr std::chrono::seconds kHandOffTimeout{10};

// Takes the lock of that name; true only when another process holds it. A
// lock that cannot be made at all gives false: this process runs as the first.
bool IsAlreadyRunning(const std::string& name);

// The marker: set before any form exists, cleared once the event loop has ended.
void SetInstanceMarker(bool set);
bool InstanceMarked();

// What a launch does before it runs as the first instance: when another holds
// the lock, hands it params (arguments 1..N) and gives 0. An instance that
// does not take them (still starting, or closing) is asked again every 100 ms
// while it holds the lock; 1, with a word on stderr, when it still has not
// taken them after kHandOffTimeout. Nothing once this process holds the lock.
std::optional<int> HandOffToRunningInstance(const std::string& name, const std::vector<std::string>& params);

// Brings the running instance to the front and hands it params (arguments
// 1..N); false when it did not answer, or refused because it is closing.
bool ActivateRunningInstance(const std::string& name, const std::vector<std::string>& params);
// Waits up to timeout for the lock that a closing instance still holds; true
// once this process holds it (or no lock can be made: it runs as the first).
bool WaitForInstanceLock(const std::string& name, std::chrono::milliseconds timeout);
// Asks the instance at the other end to come to the front, with this launch's
// $XDG_ACTIVATION_TOKEN as the data; true when it is marked and did, so that
// it may be sent the paths.
bool FindRunningInstanceProc(THandOffClient& client);
// Sends the non-empty params as comma text and waits for the result; with no
// params nothing is sent. False when the paths were not taken.
bool SendParamsToRunningInstance(THandOffClient& client, const std::vector<std::string>& params);

// The hand-off text of params: empty ones skipped, a relative path made
// absolute against folder (the running instance has a working folder of its own).
std::string HandOffText(const std::vector<std::string>& params, const std::string& folder);

}  // namespace korvane
