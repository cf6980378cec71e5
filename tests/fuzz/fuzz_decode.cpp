// Phone replies of any shape through the read path: the +CMGR reply, the bare PDU line, and the
// input taken as a PDU itself. Besides surviving, every reading must hold these properties:
// every text is valid UTF-8, a status is claimed only when the report held its status octet
// (missing octets never turn into one), and the PDU line is part of the reply. Reading past the
// input is caught by AddressSanitizer: libFuzzer hands it over in a buffer of exactly its size.

#include "fuzz_support.h"
#include "sms/decoder.h"

namespace {

using bsms::fuzz::Check;

void CheckRecord(std::string_view pdu, const bsms::Sms_Record& r) {
    for (const std::string* s :
         {&r.Service_Centre, &r.Sender, &r.Date_Time, &r.Text, &r.Sender_Number})
        Check(bsms::fuzz::ValidUtf8(*s), "every text is valid UTF-8");
    Check(r.Delivery_Status >= -1 && r.Delivery_Status <= 255, "TP-ST is one octet or unknown");
    Check(r.Kind != bsms::SmsKind::Empty || r.Text.empty(), "the empty record has no text");
    // 2000-01-01 to 2099-12-31, each up to 19 h 45 min off by its zone.
    Check(r.serviceCentreTime == -1 ||
              (r.serviceCentreTime >= 946684800 - 71100 &&
               r.serviceCentreTime <= 4102444799 + 71100 && r.Kind != bsms::SmsKind::Submit),
          "a time stamp is one of 2000 to 2099, and a stored SUBMIT has none");
    if (r.Kind != bsms::SmsKind::StatusReport) return;
    // A status comes from the report itself: more octets after it change nothing. An unknown
    // one is a report that lacked it.
    Check(r.Delivery_Status >= 0 || r.octetsMissing > 0, "an unknown status is a cut report");
    Check(r.Delivery_Status < 0 ||
              bsms::Decode_Sms_Deliver(std::string(pdu) + "00", {}).Delivery_Status ==
                  r.Delivery_Status,
          "a claimed status was read, not made up");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = bsms::fuzz::Text(data, size);
    static const std::vector<std::string> picker = {"Anna (3331234567)", "O2", ""};
    for (const std::string& line : {bsms::Extract_Pdu(input), bsms::Pdu_From_Input(input)}) {
        Check(line.empty() || input.find(line) != std::string_view::npos,
              "the PDU line is part of the reply");
        CheckRecord(line, bsms::Decode_Sms_Deliver(line, picker));
    }
    CheckRecord(input, bsms::Decode_Sms_Deliver(input, {}));
    return 0;
}
