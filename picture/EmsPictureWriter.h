#pragma once
// Writing a recognised picture as an EMS picture file: a 72x14 picture as its
// bare picture text, a 72x28 picture as the user data headers of a three-part
// concatenated message carrying three variable pictures (3GPP TS 23.040).

#include "picture/LogoReader.h"

#include <ctime>
#include <string>
#include <string_view>

namespace picture {

// The output path: the input's file name (after its last "/") with its last
// three characters (fewer when the name is shorter) replaced by "lgo", put
// behind the output folder, which is used as a plain prefix. With a folder
// ending in "/" the result always names a file directly inside it. The name
// is cut by bytes, but never inside a UTF-8 character: one the three bytes
// would split is dropped whole, so "logo.\U0001F600" gives "logo.lgo".
std::string OutputPathFor(std::string_view inputPath, std::string_view outputDir);

// A file beside an output file: its path with `ending` in place of "lgo".
std::string BesideOutput(std::string_view outputPath, std::string_view ending);

// Two upper-case hexadecimal characters from a generator seeded with the
// given clock seconds; the first draw gives the first character.
std::string MakeReference(std::time_t seconds);
// The same, seeded with the current time.
std::string MakeReference();

// The text of the output file of a valid image, line feeds as "\n":
// the bare data, or the three header lines with the given reference.
std::string EmsPictureText(const LogoImage& image, std::string_view reference);

// Writes the text of an output file (EmsPictureText), each line feed as
// CR LF, replacing any file of that name only once every byte is written.
// False when it cannot be written.
bool WriteEmsPicture(const std::string& outputPath, std::string_view text,
                     platform::FileSystem& files = platform::SystemFiles());
// The same for a valid image, with a fresh reference.
bool WriteEmsPicture(const std::string& outputPath, const LogoImage& image);

} // namespace picture
