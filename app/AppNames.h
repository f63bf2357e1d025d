#pragma once
// Names and captions the dialogs share.

namespace app {

// The application name: the caption of the program's own message boxes.
inline constexpr char kAppName[] = "Quillmere";
// Caption of the picture dialog's own message boxes.
inline constexpr char kConverterCaption[] = "Corvane EMS Converter";

} // namespace app
