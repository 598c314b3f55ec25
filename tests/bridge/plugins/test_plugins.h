#pragma once
// What the test plug-ins are, for the plug-ins themselves and for the tests that use them.
// All are built for both architectures and land next to the test programs.
//
//   ppm.spi        image import ("00IN"): the shipped plug-in's entries (formats/ppm_plugin)
//                  for binary PPM (P6, drawn as a bottom-up 24-bit DIB) and PGM (P5, drawn
//                  as a top-down 8-bit DIB with a gray colour table), with texts of its own.
//   quirk.spi      image import ("00IN") for files "QUIRK <mode> <width> <height>": reports
//                  that size, then GetPicture misbehaves as <mode> says (see below).
//   failing.spi    has all four entries; every one reports failure.
//   archive.spi    not an image import plug-in ("00AM"); GetPluginInfo and an IsSupported
//                  that claims every file, no picture entries.
//   noentries.spi  a library without any of the entries.
#include <cstdint>

namespace testspi {

inline constexpr char kPpm[] = "ppm.spi";
inline constexpr char kQuirk[] = "quirk.spi";
inline constexpr char kFailing[] = "failing.spi";
inline constexpr char kArchive[] = "archive.spi";
inline constexpr char kNoEntries[] = "noentries.spi";

inline constexpr char kPpmPattern[] = "*.ppm";           // information 2
inline constexpr char kPpmDescription[] = "PPM picture"; // information 3
inline constexpr char kQuirkPattern[] = "*.qrk";
inline constexpr char kQuirkDescription[] = "Quirk picture";
inline constexpr char kArchiveVersion[] = "00AM";

// Information number for which ppm.spi fills the whole length it is told, less one, with
// 'x' and ends it with a NUL.
inline constexpr int32_t kFillInfoNumber = 99;

// Modes of quirk.spi's GetPicture.
inline constexpr char kQuirkMagic[] = "QUIRK ";
inline constexpr char kQuirkNoDecode[] = "nodecode";       // reports failure
inline constexpr char kQuirkNoLines[] = "nolines";         // a picture of height 0
inline constexpr char kQuirkNullHandles[] = "nullhandles"; // success, handles left null
inline constexpr char kQuirkNoBits[] = "nobits";           // success, only the info handle

} // namespace testspi
