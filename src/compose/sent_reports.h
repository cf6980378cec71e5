// The references of the parts sent with a status report asked for, kept in Reports.txt beside
// the log, so that the reports the network sends back name the message they report on; and the
// reports read from the phone, kept there once the phone no longer holds them.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace bsms {

class Program;
struct SentMessage;

inline constexpr const char* kReportsFile = "Reports.txt";

// One part sent with a report asked for. A line of the file: reference, recipient, date and
// time, the start of the message's text, split at the first three commas.
struct SentPart {
    int reference = -1;
    std::string recipient;
    std::string when;  // "YYYY/MM/DD hh:mm:ss", which also tells the parts of one message
    std::string text;  // the first line of the text, at most kReportTextChars characters
    bool operator==(const SentPart&) const = default;
};
inline constexpr std::size_t kReportTextChars = 40;

std::string SentPartLine(const SentPart& part);
// The part lines of the file's text (a byte-order mark first is passed over); a line whose first
// field is not digits, a kept report's among them, is none.
std::vector<SentPart> ParseSentParts(std::string_view fileText);

// When a part was sent: its `when` read in this computer's local time, in seconds since 1970 UTC;
// -1 when it is not "YYYY/MM/DD hh:mm:ss" of a real date and time.
std::int64_t SentTime(std::string_view when);

// A status report kept after the phone let it go: the reference, recipient and time of the part
// it reports on, as in that part's line, and the report's whole PDU in hexadecimal, service-centre
// field first. A line of the file: "D," and these four, split at their first three commas.
struct KeptReport {
    int reference = -1;
    std::string recipient;
    std::string when;
    std::string pdu;
    bool operator==(const KeptReport&) const = default;
};
std::string KeptReportLine(const KeptReport& report);
// The kept reports of the file's text, a byte-order mark tolerated. A line whose reference is
// not digits, that lacks a field, or whose PDU is empty or not hexadecimal, is none.
std::vector<KeptReport> ParseKeptReports(std::string_view fileText);

// The reference the phone gave in its last "+CMGS: mr" line of a reply; -1 when there is none,
// and when the number is beyond 255, which no message reference is.
int LastMessageReference(std::string_view reply);

// The parts of a message the phone took, appended to the file (with a report asked for only).
void Record_Sent_Parts(Program& p, const SentMessage& sent, std::time_t when);
// The parts the file holds; none when there is no file.
std::vector<SentPart> Sent_Parts(const Program& p);

// The reports the file keeps; none when there is no file.
std::vector<KeptReport> Kept_Reports(const Program& p);
// Adds a report to the file unless it keeps that one already; false when it cannot be written.
bool Keep_Report(const Program& p, const KeptReport& report);
// Removes the kept reports with these PDUs; false when the file cannot be written.
bool Forget_Kept_Reports(const Program& p, const std::vector<std::string>& pdus);

// Whether two numbers are the same subscriber: their digits alike, or one ending in the other's
// last nine (the national and the international spelling).
bool SameNumber(std::string_view a, std::string_view b);

}  // namespace bsms
