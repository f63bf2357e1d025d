// The PDU file of a file and target: its EMS header as one short message.

#include "melody/MelodyConverter.h"

bool CMelodyConverter::WritePduFile(const std::string& path, const std::string& hex) {
    if (!m_pduTo)
        return true;
    // Every writer keeps its text short enough for one short message.
    const std::optional<sms::PduText> pdus = sms::BuildPdus(*m_pduTo, {hex});
    if (!pdus)
        throw CEMSError(path + " could not be written: the header does not fit into one SMS.");
    if (!WriteOutputFile(path, pdus->text))
        return false;
    m_pduFiles.push_back({path, pdus->lengths});
    return true;
}
