#include "player/MpvEngine.h"

#include <mpv/client.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "player/Player.h"

namespace korvane {

namespace {

std::string NodeString(const mpv_node* node) {
  if (!node) return "";
  switch (node->format) {
    case MPV_FORMAT_STRING: return node->u.string ? node->u.string : "";
    case MPV_FORMAT_INT64: return std::to_string(node->u.int64);
    case MPV_FORMAT_FLAG: return node->u.flag ? "yes" : "no";
    case MPV_FORMAT_DOUBLE: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%g", node->u.double_);
      return buf;
    }
    default: return "";
  }
}

const mpv_node* MapGet(const mpv_node& map, const char* key) {
  if (map.format != MPV_FORMAT_NODE_MAP || !map.u.list) return nullptr;
  for (int i = 0; i < map.u.list->num; ++i) {
    if (std::strcmp(map.u.list->keys[i], key) == 0) return &map.u.list->values[i];
  }
  return nullptr;
}

double NodeDouble(const mpv_node* node) {
  if (!node) return 0;
  if (node->format == MPV_FORMAT_DOUBLE) return node->u.double_;
  if (node->format == MPV_FORMAT_INT64) return static_cast<double>(node->u.int64);
  return 0;
}

int64_t NodeInt(const mpv_node* node) {
  if (!node) return 0;
  if (node->format == MPV_FORMAT_INT64) return node->u.int64;
  if (node->format == MPV_FORMAT_DOUBLE) return static_cast<int64_t>(node->u.double_);
  return 0;
}

bool NodeFlag(const mpv_node* node) { return node && node->format == MPV_FORMAT_FLAG && node->u.flag; }

// The selected (else the first) video and audio track of mpv's track-list.
void ReadTracks(const mpv_node& tracks, MediaFacts& f) {
  if (tracks.format != MPV_FORMAT_NODE_ARRAY || !tracks.u.list) return;
  bool haveVideo = false, haveAudio = false;
  for (int i = 0; i < tracks.u.list->num; ++i) {
    const mpv_node& t = tracks.u.list->values[i];
    const std::string type = NodeString(MapGet(t, "type"));
    const bool selected = NodeFlag(MapGet(t, "selected"));
    if (type == "video" && !NodeFlag(MapGet(t, "albumart")) && (!haveVideo || selected)) {
      haveVideo = true;
      f.videoCodec = NodeString(MapGet(t, "codec"));
      f.width = static_cast<int32_t>(NodeInt(MapGet(t, "demux-w")));
      f.height = static_cast<int32_t>(NodeInt(MapGet(t, "demux-h")));
      f.frameRate = NodeDouble(MapGet(t, "demux-fps"));
      f.videoBitrate = static_cast<int32_t>(NodeInt(MapGet(t, "demux-bitrate")));
    } else if (type == "audio" && (!haveAudio || selected)) {
      haveAudio = true;
      f.audioCodec = NodeString(MapGet(t, "codec"));
      f.audioChannels = static_cast<int32_t>(NodeInt(MapGet(t, "demux-channel-count")));
      f.audioSampleRate = static_cast<int32_t>(NodeInt(MapGet(t, "demux-samplerate")));
      f.audioBitrate = static_cast<int32_t>(NodeInt(MapGet(t, "demux-bitrate")));
    }
  }
}

void SetPlayerOptions(mpv_handle* mpv, const MpvPlayerOptions& options) {
  auto opt = [mpv](const char* name, const char* value) { mpv_set_option_string(mpv, name, value); };
  opt("config", "no");
  opt("terminal", "no");
  opt("msg-level", "all=no");
  opt("idle", "yes");
  opt("keep-open", "yes");          // the end pauses on the last frame; the player reports it stopped
  opt("pause", "yes");              // nothing starts without play
  opt("load-scripts", "no");
  // Nor the built-in scripts: each runs a thread of its own in every core.
  opt("load-stats-overlay", "no");
  opt("load-osd-console", "no");
  opt("load-auto-profiles", "no");
  opt("ytdl", "no");
  opt("osc", "no");
  opt("osd-level", "0");
  opt("input-default-bindings", "no");
  opt("input-vo-keyboard", "no");
  opt("input-cursor", "no");
  opt("cursor-autohide", "no");
  opt("resume-playback", "no");
  opt("save-position-on-quit", "no");
  opt("audio-file-auto", "no");
  opt("sub-auto", "no");
  opt("cover-art-auto", "no");
  opt("audio-display", "no");
  opt("audio-fallback-to-null", "yes");  // a machine without sound still plays, silently
  opt("hwdec", "auto-safe");  // hardware decoding where it is known to work, else software
  opt("keepaspect", "yes");
  opt("video-unscaled", "downscale-big");
  opt("volume", "50");
  opt("volume-max", "100");
  opt("audio-client-name", "Korvane");
  if (options.headless) {
    opt("vo", "null");
    opt("ao", "null");
  } else {
    opt("vo", "libmpv");
    // Cheap scalers: without a GPU (llvmpipe) each drawn frame costs the GUI thread.
    opt("scale", "bilinear");
    opt("dscale", "bilinear");
    opt("cscale", "bilinear");
    opt("dither-depth", "no");
    opt("correct-downscaling", "no");
    opt("linear-downscaling", "no");
    opt("sigmoid-upscaling", "no");
    opt("hdr-compute-peak", "no");
    // Not SDL, mpv's late fallback: its audio state is the process's, and the
    // several cores of one player (opening ahead) starting and stopping it
    // deadlock inside it. Without any of these, null plays silently.
    opt("ao", options.audioOutput.empty() ? "pipewire,pulse,alsa,jack" : options.audioOutput.c_str());
  }
}

}  // namespace

TMpvEngine::TMpvEngine(const MpvPlayerOptions& options) : FLoadRepliesWithoutEntry(options.loadRepliesWithoutEntry) {
  // libmpv needs the C numeric locale for the whole process.
  std::setlocale(LC_NUMERIC, "C");
  FMpv = mpv_create();
  if (!FMpv) throw TPlayerError("mpv_create failed");

  SetPlayerOptions(FMpv, options);
  if (mpv_initialize(FMpv) < 0) {
    mpv_terminate_destroy(FMpv);
    FMpv = nullptr;
    throw TPlayerError("mpv_initialize failed");
  }

  mpv_observe_property(FMpv, kObsTimePos, "time-pos", MPV_FORMAT_DOUBLE);
  mpv_observe_property(FMpv, kObsDuration, "duration", MPV_FORMAT_DOUBLE);
  mpv_observe_property(FMpv, kObsPause, "pause", MPV_FORMAT_FLAG);
  mpv_observe_property(FMpv, kObsEofReached, "eof-reached", MPV_FORMAT_FLAG);
  mpv_observe_property(FMpv, kObsPausedForCache, "paused-for-cache", MPV_FORMAT_FLAG);
}

TMpvEngine::~TMpvEngine() { mpv_terminate_destroy(FMpv); }

std::string TMpvEngine::Text(const char* name) const {
  char* value = mpv_get_property_string(FMpv, name);
  if (!value) return "";
  std::string out = value;
  mpv_free(value);
  return out;
}

bool TMpvEngine::Flag(const char* name) const {
  int flag = 0;
  return mpv_get_property(FMpv, name, MPV_FORMAT_FLAG, &flag) >= 0 && flag;
}

bool TMpvEngine::Double(const char* name, double& value) const {
  return mpv_get_property(FMpv, name, MPV_FORMAT_DOUBLE, &value) >= 0;
}

bool TMpvEngine::Int(const char* name, int64_t& value) const {
  return mpv_get_property(FMpv, name, MPV_FORMAT_INT64, &value) >= 0;
}

std::string TMpvEngine::VersionText() const {
  const unsigned long api = mpv_client_api_version();
  std::string text = Text("mpv-version");
  if (text.empty()) text = "mpv";
  text += " (libmpv " + std::to_string(api >> 16) + "." + std::to_string(api & 0xFFFF);
  const std::string ffmpeg = Text("ffmpeg-version");
  if (!ffmpeg.empty()) text += ", FFmpeg " + ffmpeg;
  return text + ")";
}

void TMpvEngine::SetFlag(const char* name, bool value) {
  int flag = value ? 1 : 0;
  mpv_set_property_async(FMpv, 0, name, MPV_FORMAT_FLAG, &flag);
}

void TMpvEngine::SetDouble(const char* name, double value) {
  mpv_set_property_async(FMpv, 0, name, MPV_FORMAT_DOUBLE, &value);
}

void TMpvEngine::SetText(const char* name, const std::string& value) {
  const char* text = value.c_str();
  mpv_set_property_async(FMpv, 0, name, MPV_FORMAT_STRING, &text);
}

void TMpvEngine::SetTextNow(const char* name, const std::string& value) {
  mpv_set_property_string(FMpv, name, value.c_str());
}

int64_t TMpvEngine::LoadFile(const std::string& path) {
  const char* argv[] = {"loadfile", path.c_str(), "replace", nullptr};
  mpv_node result;
  if (mpv_command_ret(FMpv, argv, &result) < 0) return 0;
  const int64_t entry = FLoadRepliesWithoutEntry ? 0 : NodeInt(MapGet(result, "playlist_entry_id"));
  mpv_free_node_contents(&result);
  // The core has the file all the same: a file failed here must not play on unseen.
  if (!entry) StopFile();
  return entry;
}

void TMpvEngine::StopFile() {
  const char* argv[] = {"stop", nullptr};
  mpv_command(FMpv, argv);
}

void TMpvEngine::StopFileLater() {
  const char* argv[] = {"stop", nullptr};
  mpv_command_async(FMpv, 0, argv);
}

void TMpvEngine::Seek(const SeekCommand& command) {
  mpv_node args[3];
  mpv_node_list list{3, args, nullptr};
  args[0].format = MPV_FORMAT_STRING;
  args[0].u.string = const_cast<char*>("seek");
  args[1].format = MPV_FORMAT_DOUBLE;
  args[2].format = MPV_FORMAT_STRING;
  if (command.mode == SeekCommand::Mode::KeyframeRelative) {
    args[1].u.double_ = command.delta;
    args[2].u.string = const_cast<char*>("relative+keyframes");
  } else {
    args[1].u.double_ = command.target;
    args[2].u.string = const_cast<char*>("absolute+exact");
  }
  mpv_node node;
  node.format = MPV_FORMAT_NODE_ARRAY;
  node.u.list = &list;
  // The reply id ties the engine's reports to this seek (see TSeekController).
  mpv_command_node_async(FMpv, command.id, &node);
}

MediaFacts TMpvEngine::ReadFacts(const std::string& path) const {
  MediaFacts f;
  f.path = path;
  int64_t size = 0;
  if (mpv_get_property(FMpv, "file-size", MPV_FORMAT_INT64, &size) >= 0) f.fileSize = size;
  f.fileType = Text("file-format");
  double duration = 0;
  if (mpv_get_property(FMpv, "duration", MPV_FORMAT_DOUBLE, &duration) >= 0 && std::isfinite(duration))
    f.duration = duration;
  if (f.fileSize > 0 && f.duration > 0) f.bitrate = static_cast<int64_t>(std::llround(f.fileSize * 8.0 / f.duration));

  mpv_node tracks;
  if (mpv_get_property(FMpv, "track-list", MPV_FORMAT_NODE, &tracks) >= 0) {
    ReadTracks(tracks, f);
    mpv_free_node_contents(&tracks);
  }

  mpv_node meta;
  if (mpv_get_property(FMpv, "metadata", MPV_FORMAT_NODE, &meta) >= 0) {
    if (meta.format == MPV_FORMAT_NODE_MAP && meta.u.list) {
      for (int i = 0; i < meta.u.list->num; ++i)
        f.tags.emplace_back(meta.u.list->keys[i], NodeString(&meta.u.list->values[i]));
    }
    mpv_free_node_contents(&meta);
  }
  return f;
}

}  // namespace korvane
