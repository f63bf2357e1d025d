#pragma once
// The short messages that carry an EMS picture file, and the file of their
// PDUs beside it.

#include <string>
#include <string_view>
#include <vector>

namespace picture {

// The user data of the short messages that carry the text of an output file
// (EmsPictureText): each of the three lines of a 72x28 picture as it
// stands; a 72x14 picture's bare data behind the header of one variable
// picture, as a single message.
std::vector<std::string> PictureUserData(std::string_view emsText, bool threePart);

} // namespace picture
