#include "tests/support/FakePlayer.h"

#include <algorithm>

#include "base/Format.h"
#include "base/Paths.h"
#include "base/Utf.h"

namespace korvane::test {

namespace {

std::string Flag(bool value) { return value ? "1" : "0"; }

std::u16string NameFromURL(const std::u16string& url) {
  return ToWide(StripFileExt(ExtractFileName(ToNarrow(url))));
}

}  // namespace

TFakeMedia::TFakeMedia(TFakePlayer& owner, std::u16string url, FakeMediaInfo info)
    : FOwner(owner), FUrl(std::move(url)), FInfo(std::move(info)) {}

std::u16string TFakeMedia::name() {
  FOwner.Check("name");
  return FInfo.name.empty() ? NameFromURL(FUrl) : FInfo.name;
}
std::u16string TFakeMedia::sourceURL() {
  FOwner.Check("sourceURL");
  return FUrl;
}
double TFakeMedia::duration() {
  FOwner.Check("duration");
  return FInfo.duration;
}
std::u16string TFakeMedia::durationString() {
  FOwner.Check("durationString");
  return FInfo.durationString;
}
int32_t TFakeMedia::imageSourceWidth() {
  FOwner.Check("imageSourceWidth");
  return FInfo.width;
}
int32_t TFakeMedia::imageSourceHeight() {
  FOwner.Check("imageSourceHeight");
  return FInfo.height;
}
int32_t TFakeMedia::attributeCount() {
  FOwner.Check("attributeCount");
  return static_cast<int32_t>(FInfo.attributes.size());
}
std::u16string TFakeMedia::getAttributeName(int32_t index) {
  FOwner.Check("getAttributeName");
  if (index < 0 || index >= attributeCount()) throw TPlayerError("attribute index out of range");
  return FInfo.attributes[static_cast<size_t>(index)].first;
}
std::u16string TFakeMedia::getItemInfo(const std::u16string& attributeName) {
  FOwner.Check("getItemInfo");
  for (const auto& [name, value] : FInfo.attributes)
    if (name == attributeName) return value;
  return u"";
}

TFakePlayer::TFakePlayer() = default;

void TFakePlayer::Check(const std::string& method) {
  auto it = FFailures.find(method);
  if (it == FFailures.end() || it->second <= 0) return;
  --it->second;
  throw TPlayerError("fake failure in " + method);
}

void TFakePlayer::SetPlayState(int32_t state) {
  PlayState = state;
  if (FEvents.PlayStateChange) FEvents.PlayStateChange(state);
}

void TFakePlayer::SetOpenState(int32_t state) {
  OpenState = state;
  if (FEvents.OpenStateChange) FEvents.OpenStateChange(state);
}

void TFakePlayer::SetStatus(std::u16string text) {
  Status = std::move(text);
  if (FEvents.StatusChange) FEvents.StatusChange();
}

void TFakePlayer::FinishMedia() {
  if (!FMedia) return;
  Position = FMedia->duration();
  SetPlayState(wmppsMediaEnded);
  SetPlayState(wmppsStopped);
  Position = 0;
  SetStatus(kStatusStopped);
}

void TFakePlayer::Click(int16_t button, int16_t shiftState, int32_t x, int32_t y) {
  if (FEvents.Click) FEvents.Click(button, shiftState, x, y);
}

void TFakePlayer::DoubleClick(int16_t button, int16_t shiftState, int32_t x, int32_t y) {
  Click(button, shiftState, x, y);
  if (FEvents.DoubleClick) FEvents.DoubleClick(button, shiftState, x, y);
}

std::u16string TFakePlayer::URL() {
  Check("URL");
  return FUrl;
}

void TFakePlayer::setURL(const std::u16string& url) {
  Check("setURL");
  Calls.push_back("setURL " + ToNarrow(url));
  URLsPut.push_back(url);
  FUrl = url;
  Position = 0;
  PositionString.clear();
  if (url.empty()) {
    FMedia.reset();
    SetPlayState(wmppsUndefined);
    SetOpenState(wmposPlaylistOpenNoMedia);
    SetStatus(kStatusReady);
    return;
  }
  auto info = FMediaInfo.find(url);
  FMedia = std::make_shared<TFakeMedia>(*this, url, info == FMediaInfo.end() ? FakeMediaInfo{} : info->second);
  SetOpenState(wmposMediaChanging);
  SetOpenState(wmposMediaOpening);
  SetOpenState(wmposMediaOpen);
  if (FEvents.MediaChange) FEvents.MediaChange(*FMedia);
  SetPlayState(wmppsReady);
  SetStatus(kStatusReady);
}

std::u16string TFakePlayer::status() {
  Check("status");
  return Status;
}

std::u16string TFakePlayer::versionInfo() {
  Check("versionInfo");
  return VersionInfo;
}

IWMPControls& TFakePlayer::controls() { return *this; }
IWMPSettings& TFakePlayer::settings() { return *this; }

std::shared_ptr<IWMPMedia> TFakePlayer::currentMedia() {
  Check("currentMedia");
  return FMedia;
}

bool TFakePlayer::stretchToFit() {
  Check("stretchToFit");
  return StretchToFit;
}

void TFakePlayer::setStretchToFit(bool value) {
  Check("setStretchToFit");
  Calls.push_back("setStretchToFit " + Flag(value));
  StretchToFit = value;
}

void TFakePlayer::SetObjectRects(const PlayerRect& position, const PlayerRect& clip) {
  Check("SetObjectRects");
  Calls.push_back(Format("SetObjectRects %d,%d,%d,%d", {position.left, position.top, position.right, position.bottom}));
  ObjectRects.push_back(clip);
}

bool TFakePlayer::isAvailable(const std::u16string& name) {
  Check("isAvailable");
  if (AvailabilityFollowsState) {
    if (name == u"Play") return FMedia && PlayState != wmppsPlaying;
    if (name == u"Pause") return PlayState == wmppsPlaying;
    if (name == u"Stop") return FMedia != nullptr;
  }
  static const std::u16string kKnown[] = {u"Play", u"Pause", u"Stop", u"CurrentPosition", u"Rate", u"Balance", u"Mute", u"Volume"};
  return std::find(std::begin(kKnown), std::end(kKnown), name) != std::end(kKnown);
}

void TFakePlayer::play() {
  Check("play");
  Calls.push_back("play");
  if (!FMedia || PlayState == wmppsPlaying) return;
  SetPlayState(wmppsPlaying);
  if (PositionString.empty()) PositionString = u"00:00";
  SetStatus(kStatusPlaying);
}

void TFakePlayer::stop() {
  Check("stop");
  Calls.push_back("stop");
  if (!FMedia) return;
  Position = 0;
  SetPlayState(wmppsStopped);
  SetStatus(kStatusStopped);
}

void TFakePlayer::pause() {
  Check("pause");
  Calls.push_back("pause");
  if (!FMedia || PlayState != wmppsPlaying) return;
  SetPlayState(wmppsPaused);
  SetStatus(kStatusPaused);
}

double TFakePlayer::currentPosition() {
  Check("currentPosition");
  return Position;
}

void TFakePlayer::setCurrentPosition(double seconds) {
  Check("setCurrentPosition");
  Calls.push_back("setCurrentPosition " + FormatFixed(seconds, 2, NumberStyle{}));
  PositionsPut.push_back(seconds);
  double end = FMedia ? FMedia->duration() : 0;
  Position = std::clamp(seconds, 0.0, std::max(end, 0.0));
}

std::u16string TFakePlayer::currentPositionString() {
  Check("currentPositionString");
  return FMedia ? PositionString : u"";
}

bool TFakePlayer::autoStart() { Check("autoStart"); return false; }
int32_t TFakePlayer::balance() { Check("balance"); return Balance; }

void TFakePlayer::setBalance(int32_t value) {
  Check("setBalance");
  Calls.push_back(Format("setBalance %d", {value}));
  Balance = std::clamp(value, -100, 100);
}

std::u16string TFakePlayer::baseURL() { Check("baseURL"); return u""; }
std::u16string TFakePlayer::defaultFrame() { Check("defaultFrame"); return u""; }
bool TFakePlayer::enableErrorDialogs() { Check("enableErrorDialogs"); return false; }
bool TFakePlayer::invokeURLs() { Check("invokeURLs"); return false; }
bool TFakePlayer::mute() { Check("mute"); return Mute; }

void TFakePlayer::setMute(bool value) {
  Check("setMute");
  Calls.push_back("setMute " + Flag(value));
  Mute = value;
}

int32_t TFakePlayer::playCount() { Check("playCount"); return 1; }
double TFakePlayer::rate() { Check("rate"); return Rate; }
void TFakePlayer::setRate(double value) {
  Check("setRate");
  Calls.push_back("setRate " + FormatFixed(value, 2, NumberStyle{}));
  Rate = value;
}
int32_t TFakePlayer::volume() { Check("volume"); return Volume; }

void TFakePlayer::setVolume(int32_t value) {
  Check("setVolume");
  Calls.push_back(Format("setVolume %d", {value}));
  Volume = std::clamp(value, 0, 100);
}

bool TFakePlayer::getMode(const std::u16string&) { Check("getMode"); return false; }

}  // namespace korvane::test
