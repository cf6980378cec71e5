#include "sms/pdu_tool.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <istream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string_view>

#include "base/text.h"
#include "sms/pdu_builder.h"
#include "sms/tpdu.h"

namespace bsms {

namespace {

constexpr std::string_view kUsage =
    "usage: sms-pdu encode --sc NUMBER --to NUMBER [--flash] [--status-report] --text TEXT\n"
    "       sms-pdu decode [--json] < reply\n";

constexpr std::string_view kEncodeHelp =
    "sms-pdu encode --sc NUMBER --to NUMBER [--flash] [--status-report] --text TEXT\n"
    "\n"
    "Prints the SMS-SUBMIT PDUs that Brenvik SMS gives the phone for this message, one line\n"
    "per part: the length written after AT+CMGS= (or AT+CMGW=), a blank, the PDU.\n"
    "A text in the GSM 7-bit alphabet goes in one SMS of 160 characters or in parts of 152;\n"
    "each character of its extension table (form feed ^ { } \\ [ ~ ] | and the euro sign)\n"
    "counts two. Any other text goes in UCS2: one SMS of 70 UTF-16 units or parts of 66.\n"
    "At most 5 parts. The text is taken as given (the program sends a line break as CR LF).\n"
    "\n"
    "  --sc NUMBER        service centre, digits with or without a leading +\n"
    "  --to NUMBER        recipient: digits, * and #, optionally after a leading +\n"
    "                     (each number at most 20 digits)\n"
    "  --flash            class 0 (flash) message\n"
    "  --status-report    ask for a status report\n"
    "  --text TEXT        message text, UTF-8\n"
    "\n"
    "Exit status: 0 done, 1 the message cannot be encoded, 2 bad arguments.\n";
static_assert(tp::kMaxAddressDigits == 20, "the help above gives the limit");
static_assert(kSingleSmsChars == 160 && kCharsPerPart == 152 && kUcs2SingleUnits == 70 &&
                  kUcs2UnitsPerPart == 66 && kMaxParts == 5,
              "the help above gives these");

constexpr std::string_view kDecodeHelp =
    "sms-pdu decode [--json]\n"
    "\n"
    "Reads a whole AT+CMGR reply (PDU mode) or a bare PDU line from standard input and prints\n"
    "the message: service centre, sender number (the recipient of a stored message), date and\n"
    "time, date key and text. A reply without a PDU line (an error, an empty location) holds\n"
    "no message. A PDU cut short is shown as far as it goes, with a warning.\n"
    "\n"
    "  --json    one JSON object with the keys service_centre, sender_number, date_time,\n"
    "            date_key, text\n"
    "\n"
    "Exit status: 0 done, 1 no PDU in the input, 2 bad arguments.\n";

int Usage(std::ostream& err, std::string_view problem) {
    err << "sms-pdu: " << problem << "\n" << kUsage;
    return 2;
}

std::string CharList(const std::vector<char32_t>& chars) {
    std::string out;
    for (std::size_t i = 0; i < chars.size(); ++i)
        out += (i > 0 ? ", " : "") + DescribeChar(chars[i]);
    return out;
}

int Encode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    SubmitRequest request;
    std::optional<std::string> sc, to, text;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string_view a = args[i];
        if (a == "--help" || a == "-h") {
            out << kEncodeHelp;
            return 0;
        }
        if (a == "--flash") {
            request.flash = true;
            continue;
        }
        if (a == "--status-report") {
            request.statusReport = true;
            continue;
        }
        std::optional<std::string>* target = nullptr;
        std::string_view name = a;
        std::optional<std::string> inlineValue;
        if (const auto eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string_view::npos) {
            name = a.substr(0, eq);
            inlineValue = std::string(a.substr(eq + 1));
        }
        if (name == "--sc") target = &sc;
        if (name == "--to") target = &to;
        if (name == "--text") target = &text;
        if (target == nullptr) return Usage(err, "unknown argument " + std::string(a));
        if (inlineValue) {
            *target = *inlineValue;
        } else if (i + 1 < args.size()) {
            *target = args[++i];
        } else {
            return Usage(err, std::string(name) + " needs a value");
        }
    }
    if (!sc || !to || !text) return Usage(err, "encode needs --sc, --to and --text");
    request.serviceCentre = *sc;
    request.recipient = *to;
    request.text = *text;

    if (const MessagePlan plan = PlanMessage(request.text); !plan.fits()) {
        err << "sms-pdu: the text needs " << plan.parts << " SMS, more than " << kMaxParts << "\n";
        return 1;
    }
    const BuildOutcome outcome = BuildSubmit(request);
    switch (outcome.refusal) {
        case BuildRefusal::None:
            break;
        case BuildRefusal::ServiceCentreMissing:
            err << "sms-pdu: the service centre number is empty\n";
            return 1;
        case BuildRefusal::BadServiceCentre:
            err << "sms-pdu: the service centre number may hold only digits, not "
                << CharList(outcome.offending) << "\n";
            return 1;
        case BuildRefusal::BadRecipient:
            err << "sms-pdu: the recipient number may hold only digits, * and #, not "
                << CharList(outcome.offending) << "\n";
            return 1;
        case BuildRefusal::ServiceCentreTooLong:
            err << "sms-pdu: the service centre number has more than " << tp::kMaxAddressDigits
                << " digits\n";
            return 1;
        case BuildRefusal::RecipientTooLong:
            err << "sms-pdu: the recipient number has more than " << tp::kMaxAddressDigits
                << " digits\n";
            return 1;
    }
    for (const PduPart& part : outcome.build.parts)
        if (!part.Part_Pdu.empty()) out << part.Part_Length << ' ' << part.Part_Pdu << '\n';
    return 0;
}

int Decode(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
           std::ostream& err) {
    bool json = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            out << kDecodeHelp;
            return 0;
        }
        if (args[i] != "--json") return Usage(err, "unknown argument " + args[i]);
        json = true;
    }
    const std::string input{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string pdu = Pdu_From_Input(input);
    if (pdu.empty()) {
        err << "sms-pdu: no PDU in the input\n";
        return 1;
    }
    const Sms_Record rec = Decode_Sms_Deliver(pdu, {});
    if (rec.octetsMissing > 0)
        err << "sms-pdu: warning: the PDU lacks " << rec.octetsMissing
            << (rec.octetsMissing == 1 ? " octet; it reads" : " octets; they read") << " as 0\n";
    if (json) {
        out << Record_Json(rec) << '\n';
    } else {
        out << "Service centre: " << rec.Service_Centre << '\n'
            << "Sender number:  " << rec.Sender_Number << '\n'
            << "Date and time:  " << rec.Date_Time << '\n'
            << "Date key:       " << Date_Key_Text(rec.Date_Key) << '\n'
            << "Text:           " << rec.Text << '\n';
    }
    return 0;
}

}  // namespace

std::string Date_Key_Text(double key) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.5f", key);
    std::string s = buf;
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

std::string Record_Json(const Sms_Record& record) {
    nlohmann::ordered_json j;
    j["service_centre"] = record.Service_Centre;
    j["sender_number"] = record.Sender_Number;
    j["date_time"] = record.Date_Time;
    // Five decimals, as the key is made; a whole key is written without them.
    const double key = std::round(record.Date_Key * 1e5) / 1e5;
    if (key == std::floor(key) && std::abs(key) < 1e15)
        j["date_key"] = static_cast<long long>(key);
    else
        j["date_key"] = key;
    j["text"] = record.Text;
    return j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

int Run_Sms_Pdu(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err) {
    if (args.empty()) return Usage(err, "no command");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        out << kUsage << "\n" << kEncodeHelp << "\n" << kDecodeHelp;
        return 0;
    }
    if (args[0] == "encode") return Encode(args, out, err);
    if (args[0] == "decode") return Decode(args, in, out, err);
    return Usage(err, "unknown command " + args[0]);
}

}  // namespace bsms
