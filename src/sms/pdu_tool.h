// The sms-pdu companion program: encodes a message the way the program sends it, and decodes a
// +CMGR reply or a bare PDU. Kept here so that tests can run it without a process.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "sms/decoder.h"

namespace bsms {

// Runs the program with its arguments (without the program name). Returns the exit status:
// 0 done, 1 the input cannot be encoded or holds no PDU, 2 bad arguments.
int Run_Sms_Pdu(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err);

// A decoded record as one JSON object (keys service_centre, sender_number, date_time,
// date_key, text).
std::string Record_Json(const Sms_Record& record);

// A date key as the shortest decimal text that shows all of its five decimals ("5377.3693").
std::string Date_Key_Text(double key);

}  // namespace bsms
