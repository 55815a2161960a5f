#include "harness/TestMedia.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace korvane::test {

namespace fs = std::filesystem;

std::string MediaDir() {
  const char* build = std::getenv("KORVANE_BUILD_DIR");
  std::string dir = std::string(build && *build ? build : fs::temp_directory_path().c_str()) + "/test-media/player";
  std::error_code ec;
  fs::create_directories(dir, ec);
  return dir;
}

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::string> Split(const std::string& arguments) {
  // Arguments are separated by blanks; a "quoted part" may hold blanks.
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false, any = false;
  for (char c : arguments) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
      if (any) out.push_back(cur);
      cur.clear();
      any = false;
    } else {
      cur += c;
      any = true;
    }
  }
  if (any) out.push_back(cur);
  return out;
}

std::string Temp(const std::string& out) {
  const auto dot = out.rfind('.');
  return out.substr(0, dot) + ".tmp" + std::to_string(getpid()) + out.substr(dot);
}

// Where the file made from `key` (what it is made of) is kept: a folder per
// key, so that a file made by a changed command is made anew; the file's own
// name is kept, the player names the media after it.
std::string CachedPath(const std::string& name, const std::string& key) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a: the same on every run and build
  for (unsigned char c : key) hash = (hash ^ c) * 1099511628211ull;
  char folder[17];
  std::snprintf(folder, sizeof folder, "%016llx", static_cast<unsigned long long>(hash));
  const std::string dir = MediaDir() + "/" + folder;
  std::error_code ec;
  fs::create_directories(dir, ec);
  return dir + "/" + name;
}

std::string Make(const std::string& name, const std::string& arguments) {
  const std::string out = CachedPath(name, arguments);
  if (Exists(out)) return out;
  return RunFfmpeg(arguments, out) ? out : "";
}

}  // namespace

bool RunFfmpeg(const std::string& arguments, const std::string& out) {
  const std::string tmp = Temp(out);
  std::vector<std::string> args = {"ffmpeg", "-nostdin", "-v", "error", "-y"};
  for (auto& a : Split(arguments)) args.push_back(a);
  args.push_back(tmp);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    execvp("ffmpeg", argv.data());
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !Exists(tmp)) {
    std::remove(tmp.c_str());
    return false;
  }
  return std::rename(tmp.c_str(), out.c_str()) == 0;
}

namespace {
const std::string kVideo320 =
    "-f lavfi -i testsrc2=size=320x240:rate=25 -f lavfi -i sine=frequency=440:sample_rate=44100 "
    "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -sc_threshold 0 -c:a aac -b:a 48k -ac 2 ";
}  // namespace

std::string ClipMp4() { return Make("clip.mp4", kVideo320 + "-t 45 -g 25 -keyint_min 25"); }
std::string Gop10Mp4() { return Make("gop10.mp4", kVideo320 + "-t 60 -g 250 -keyint_min 250"); }
std::string ShortMp4() { return Make("short.mp4", kVideo320 + "-t 2 -g 25"); }
std::string TaggedMp4() {
  return Make("tagged.mp4", kVideo320 + "-t 3 -g 25 -metadata \"title=" + kTaggedTitle + "\" -metadata \"artist=" +
                                kTaggedArtist + "\" -metadata album=Album -metadata \"comment=a comment\"");
}
std::string AudioM4a() {
  return Make("audio.m4a", "-f lavfi -i sine=frequency=330:sample_rate=44100 -t 5 -c:a aac -b:a 48k");
}
std::string TinyWav() { return Make("tiny.wav", "-f lavfi -i sine=frequency=550:sample_rate=8000 -t 0.3 -c:a pcm_s16le"); }

std::string ZeroByteMp4() {
  const std::string out = CachedPath("zero.mp4", "");
  if (!Exists(out)) std::ofstream(out, std::ios::binary).flush();
  return out;
}

std::string TextAsMp4() {
  const std::string text = "This is not a video.\nclip.mp4\nshort.mp4\n/etc/passwd\n";
  const std::string out = CachedPath("text.mp4", text);
  if (!Exists(out)) {
    const std::string tmp = Temp(out);
    std::ofstream(tmp) << text;
    std::rename(tmp.c_str(), out.c_str());
  }
  return out;
}

std::string TruncatedMp4() {
  const std::string clip = ClipMp4();
  const std::string out = CachedPath("truncated.mp4", clip);
  if (Exists(out)) return out;
  std::ifstream in(clip, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  const std::string bytes = all.str();
  const std::string tmp = Temp(out);
  std::ofstream(tmp, std::ios::binary) << bytes.substr(0, bytes.size() / 3);
  std::rename(tmp.c_str(), out.c_str());
  return out;
}

}  // namespace korvane::test
