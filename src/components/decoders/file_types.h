// The file types Glimra lists and what it does with each: one table, in the order the file
// masks name them. The masks of the file-type filter, the preview's choice between showing and
// playing, the placeholder pictures and the decoders' extension guess all follow it.
#pragma once

#include <QString>
#include <optional>

namespace decoders {

enum class FileKind {
    Picture,
    Sound,
    Midi,
    Video,
};

struct FileType {
    const char* extension; // lower case, without the dot
    FileKind kind;
    // The types the browser has always listed come first; the types added for today's files
    // follow them in every mask, so the original masks stay the start of the new ones.
    bool added;
};

// clang-format off
inline constexpr FileType kFileTypes[] = {
    {"jpg", FileKind::Picture, false}, {"gif", FileKind::Picture, false},
    {"bmp", FileKind::Picture, false}, {"wmf", FileKind::Picture, false},
    {"wpg", FileKind::Picture, false}, {"art", FileKind::Picture, false},
    {"cut", FileKind::Picture, false}, {"dib", FileKind::Picture, false},
    {"emf", FileKind::Picture, false}, {"gem", FileKind::Picture, false},
    {"hrz", FileKind::Picture, false}, {"iff", FileKind::Picture, false},
    {"img", FileKind::Picture, false}, {"lbm", FileKind::Picture, false},
    {"mac", FileKind::Picture, false}, {"msp", FileKind::Picture, false},
    {"pcx", FileKind::Picture, false}, {"pic", FileKind::Picture, false},
    {"png", FileKind::Picture, false}, {"ras", FileKind::Picture, false},
    {"rle", FileKind::Picture, false}, {"tga", FileKind::Picture, false},
    {"tif", FileKind::Picture, false},
    {"wav", FileKind::Sound, false},   {"mid", FileKind::Midi, false},
    {"rmi", FileKind::Midi, false},    {"avi", FileKind::Video, false},
    // Pictures of today: the other JPEG and TIFF names, the web's and phones' formats, SVG,
    // icons, netpbm, and camera RAW.
    {"jpeg", FileKind::Picture, true}, {"jpe", FileKind::Picture, true},
    {"jfif", FileKind::Picture, true}, {"tiff", FileKind::Picture, true},
    {"webp", FileKind::Picture, true}, {"avif", FileKind::Picture, true},
    {"heic", FileKind::Picture, true}, {"heif", FileKind::Picture, true},
    {"jxl", FileKind::Picture, true},  {"svg", FileKind::Picture, true},
    {"svgz", FileKind::Picture, true}, {"ico", FileKind::Picture, true},
    {"pnm", FileKind::Picture, true},  {"pbm", FileKind::Picture, true},
    {"pgm", FileKind::Picture, true},  {"ppm", FileKind::Picture, true},
    {"dng", FileKind::Picture, true},  {"cr2", FileKind::Picture, true},
    {"cr3", FileKind::Picture, true},  {"nef", FileKind::Picture, true},
    {"nrw", FileKind::Picture, true},  {"arw", FileKind::Picture, true},
    {"orf", FileKind::Picture, true},  {"rw2", FileKind::Picture, true},
    {"raf", FileKind::Picture, true},  {"pef", FileKind::Picture, true},
    {"srw", FileKind::Picture, true},
    // Sound of today.
    {"mp3", FileKind::Sound, true},    {"ogg", FileKind::Sound, true},
    {"oga", FileKind::Sound, true},    {"opus", FileKind::Sound, true},
    {"flac", FileKind::Sound, true},   {"m4a", FileKind::Sound, true},
    {"aac", FileKind::Sound, true},    {"wma", FileKind::Sound, true},
    {"aif", FileKind::Sound, true},    {"aiff", FileKind::Sound, true},
    // Video of today.
    {"mp4", FileKind::Video, true},    {"m4v", FileKind::Video, true},
    {"mkv", FileKind::Video, true},    {"webm", FileKind::Video, true},
    {"mov", FileKind::Video, true},    {"mpg", FileKind::Video, true},
    {"mpeg", FileKind::Video, true},   {"ogv", FileKind::Video, true},
    {"wmv", FileKind::Video, true},
};
// clang-format on

// The row of a file's extension (the part after the last dot of its name, in any case), or
// nullopt for a file Glimra does not list.
std::optional<FileType> fileTypeOf(const QString& path);

// Sound, MIDI and video are played; pictures (and unlisted files) are shown.
inline bool isPlayed(FileKind kind) {
    return kind != FileKind::Picture;
}

} // namespace decoders
