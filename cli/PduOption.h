#pragma once
// The --pdu option of emsconv melody and emsconv picture: the number the
// PDU files are addressed to, and the lines that give the AT+CMGS length of
// every PDU written.

#include "cli/CommandLine.h"
#include "sms/SubmitPdu.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

inline const KnownOption kPduOption{"--pdu", true};

// Reads the number given with --pdu into `to` (left empty when the option is
// not given). Returns the usage error text when it is no number.
std::optional<std::string> ReadPduOption(const ParsedArgs& parsed, std::optional<sms::Address>& to);

// One line for each PDU file: "PATH: AT+CMGS=LENGTH", and " AT+CMGS=LENGTH"
// for each further line of the file (the path printable: platform/Ascii.h).
std::string CmgsLines(const std::vector<sms::PduFile>& files);

} // namespace cli
