#pragma once
// The messages of the two conversions as the tests expect them, written out
// once here rather than taken from the product, so that a changed text is
// noticed. Recorded messages read "CAPTION: TEXT".

#include <string>

namespace testsupport {

// The melody conversion.
inline const std::string kMelodyCaption = "EMS Melody Converter: ";
inline const std::string kMelodyComplete = kMelodyCaption + "Conversion complete.";
inline const std::string kMelodyLogFailed =
    kMelodyCaption + "Could not create the log entry, make sure the log file is not read only.";

// The picture conversion (the component's caption).
inline const std::string kPictureCaption = "ZEV Urur Orarodude: ";
inline const std::string kNotFound = "Error! Input file not found!";
inline const std::string kNotValid = "Error! Not a valid Picture!";
inline const std::string kNotWritten = "Error! Could not write to file! ";
inline const std::string kNoLog = "Error! Could not open the log file!";
inline const std::string kLogNotWritten = "Error! Could not write to the log file!";
inline const std::string kCompleted = "Conversion completed!";
inline const std::string kOperatorLogoNotice =
    "Operator logo without header found! width=72 height=14 colors=1";

// A picture message box as recorded.
inline std::string Box(const std::string& text) {
    return kPictureCaption + text;
}

} // namespace testsupport
