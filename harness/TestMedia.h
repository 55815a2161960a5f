#pragma once
// Media for the player tests, generated with ffmpeg (testsrc2 and sine) into
// the build tree on first use and kept there for later runs. Test processes
// may run in parallel: each file is written under a temporary name and renamed.
#include <string>

namespace korvane::test {

// The folder of the generated media (created on demand).
std::string MediaDir();

// Each returns the path of the file, generating it when missing; "" when ffmpeg failed.
std::string ClipMp4();        // 45 s, 320x240, 25 fps, H.264 with a 1 s GOP, AAC stereo
std::string Gop10Mp4();       // 60 s, 320x240, 25 fps, H.264 with a 10 s GOP, AAC
std::string ShortMp4();       // 2 s, 320x240, H.264/AAC
std::string TaggedMp4();      // 3 s, with title, artist, album and comment tags
std::string AudioM4a();       // 5 s, AAC only
std::string TinyWav();        // 0.3 s, PCM
std::string ZeroByteMp4();    // empty file
std::string TextAsMp4();      // a text file named .mp4
std::string TruncatedMp4();   // the first third of ClipMp4

inline constexpr char kTaggedTitle[] = "Korvane Test Title";
inline constexpr char kTaggedArtist[] = "Test Artist ÄÖ";

// Runs ffmpeg with the arguments (no shell); true when it succeeded and wrote `out`.
bool RunFfmpeg(const std::string& arguments, const std::string& out);

}  // namespace korvane::test
