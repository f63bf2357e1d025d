#pragma once
// The picture batch: every named file is read, recognised, written as an EMS
// picture file into the output folder and drawn into "PictureConverter.log"
// in the program folder; every notice and failure is shown to the user
// handed in as a message with the caption "ZEV Urur Orarodude", and
// "Conversion completed!" ends every call. All working state belongs to the
// call, so calls from several threads do not disturb each other (apart from
// sharing the log file).
//
// Each file's log entry is appended whole as soon as that file is done. A
// log that cannot be opened is said once at the start ("Error! Could not
// open the log file!"), one whose append fails once, right after that
// file's messages ("Error! Could not write to the log file!"); either way
// the log takes no further entry in the call and the conversion goes on.
//
// Asked for, the picture is also written as a PNG image and as ready-to-send
// short messages beside its EMS picture file. A file's outputs are one unit
// (platform/OutputUnit.h): all are written or none, and the entry of a
// written file goes into the log before an interruption can end the
// process. When one cannot be written the file fails as an output that
// cannot be written does (the message, the log line and no drawing), and
// nothing of it is written. No output replaces an input of the call or a
// file that an earlier input of the call wrote (platform/OutputPlan.h):
// that file fails with a message naming both.

#include "platform/FileSystem.h"
#include "platform/MessageUi.h"
#include "sms/SubmitPdu.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace picture {

inline constexpr std::string_view kPictureCaption = "ZEV Urur Orarodude";
// The messages of a file that cannot be read, and of one that is no picture.
inline constexpr std::string_view kNotFoundMessage = "Error! Input file not found!";
inline constexpr std::string_view kNotValidMessage = "Error! Not a valid Picture!";

// What is written for a picture besides its EMS picture file.
struct PictureOutputs {
    bool png = false; // the picture as a PNG image (picture/PicturePng.h)
    // The short messages that carry it, addressed to pduTo (PicturePdu.h).
    std::optional<sms::Address> pduTo;
};

struct PictureBatchSummary {
    std::size_t converted = 0;
    std::size_t failed = 0;    // not found, not a valid picture, or not written
    std::size_t cancelled = 0; // an existing output kept at the replace question
    std::vector<sms::PduFile> pduFiles; // the PDU files written, in order
};

// Converts the files of inputList, full paths joined by "," (cut as
// platform/InputList.h says), as the component does: an existing EMS
// picture file is replaced without a question, and the log goes to the log
// folder of the program in programFolder (platform/LogFolder.h). Both
// folders are plain prefixes and normally end in "/".
PictureBatchSummary RunPictureBatch(platform::IMessageUi& ui, std::string_view inputList,
                                    std::string_view outputDir, std::string_view programFolder,
                                    platform::FileSystem& files = platform::SystemFiles());

// The batch over names already taken apart; a name may hold any character.
// ui is asked before any existing file is replaced ("The file: PATH already
// exists, would you like to replace it?"); Cancel keeps every output of that
// file as it was, and the file counts as cancelled.
// files: where the batch reads and writes (the operating system's file
// system unless a test hands in another).
PictureBatchSummary ConvertPictureFiles(platform::IReplaceUi& ui,
                                        const std::vector<std::string>& names,
                                        std::string_view outputDir, std::string_view logFolder,
                                        const PictureOutputs& outputs = {},
                                        platform::FileSystem& files = platform::SystemFiles());

} // namespace picture
