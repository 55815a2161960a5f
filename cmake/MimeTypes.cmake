# The media types the program opens, one list for the desktop entry and for the
# desktop media controls: KORVANE_MIME_TYPE_LIST, joined by ";".
set(korvane_mime_types
  inode/directory
  video/mp4 video/x-matroska video/webm video/x-msvideo video/quicktime video/mpeg
  video/x-ms-wmv video/x-ms-asf video/x-flv video/3gpp video/3gpp2 video/ogg video/mp2t
  video/x-m4v video/x-ogm+ogg video/dv
  audio/mpeg audio/mp4 audio/x-m4a audio/aac audio/flac audio/x-flac audio/ogg audio/x-vorbis+ogg
  audio/opus audio/x-wav audio/wav audio/x-ms-wma audio/x-matroska audio/webm audio/ac3
  audio/x-aiff audio/x-ape audio/x-musepack audio/amr)
list(JOIN korvane_mime_types ";" KORVANE_MIME_TYPE_LIST)
