// The builder on any request, checked against the decoder: what it accepts reads back as the text
// it was given, in one to five parts, with the recipient and service centre as typed; what it
// refuses leaves no PDU. Input: a flags octet, then either three fields split at line feeds
// (service centre, recipient, text, any bytes), or numbers and a text made of the alphabet
// table's characters (and, by a flag, the extension table's and others only UCS2 carries) at a
// length that spreads over every part count.
#include <algorithm>

#include "fuzz_support.h"
#include "sms/address.h"
#include "sms/alphabet.h"
#include "sms/decoder.h"
#include "sms/pdu_builder.h"

namespace {

using bsms::fuzz::Check;

// The next octet of the input, 0 once it runs out.
std::uint8_t Next(std::string_view& in) {
    if (in.empty()) return 0;
    const auto b = static_cast<std::uint8_t>(in.front());
    in.remove_prefix(1);
    return b;
}

// A number of up to 22 digits, "*" and "#" among them when allowed, with or without "+".
std::string Number(std::string_view& in, bool starHash) {
    const int flags = Next(in);
    std::string n = (flags & 1) != 0 ? "+" : "";
    for (int count = (flags >> 1) % 23; count > 0; --count)
        n.push_back("0123456789*#"[Next(in) % (starHash ? 12 : 10)]);
    return n;
}

bsms::SubmitRequest AlphabetRequest(std::string_view in, bool wider) {
    static const std::u32string narrow = [] {
        std::u32string c;
        for (const std::string& e : bsms::Gsm_Alphabet())
            c += bsms::Utf8ToU32(e);
        return c;
    }();
    static const std::u32string wide = narrow + U"\f^{}\\[~]|€\u0100łЖ\U0001F600\t";
    const std::u32string& chars = wider ? wide : narrow;
    bsms::SubmitRequest r{Number(in, false), Number(in, true), ""};
    const std::size_t length = (Next(in) | Next(in) << 8) % (bsms::kMaxMessageChars + 1);
    std::u32string text;
    for (std::size_t i = 0; i < length; ++i)
        text +=
            chars[(in.empty() ? i : static_cast<std::uint8_t>(in[i % in.size()])) % chars.size()];
    r.text = bsms::U32ToUtf8(text);
    return r;
}

bsms::SubmitRequest RawRequest(std::string_view rest) {
    bsms::SubmitRequest r;
    for (std::string* field : {&r.serviceCentre, &r.recipient}) {
        const std::size_t lf = std::min(rest.find('\n'), rest.size());
        *field = rest.substr(0, lf);
        rest.remove_prefix(std::min(lf + 1, rest.size()));
    }
    r.text = rest;
    return r;
}

void CheckAccepted(const bsms::SubmitRequest& r, const bsms::BuildOutcome& o) {
    // What the builder sends: the text as Utf8ToU32 reads it, as far as five parts hold it.
    const bsms::MessagePlan plan = bsms::PlanMessage(r.text);
    std::u32string text = bsms::Utf8ToU32(r.text);
    Check(plan.keptChars <= text.size() && (plan.fits() == (plan.keptChars == text.size())),
          "a text that fits is sent whole");
    text.resize(plan.keptChars);
    const int parts = o.build.partCount();
    Check(parts == static_cast<int>(std::clamp<std::size_t>(plan.parts, 1, bsms::kMaxParts)),
          "one to five parts, as planned");
    std::string decoded;
    for (int k = 0; k < parts; ++k) {
        const bsms::PduPart& part = o.build.parts[k];
        Check(part.Part_Pdu.size() ==
                  o.build.Pdu_Sc_Field.size() + static_cast<std::size_t>(part.Part_Length) * 2,
              "Part_Length counts the octets after the service centre");
        Check(part.Part_Pdu.find_first_not_of("0123456789ABCDEF") == std::string::npos,
              "upper-case hexadecimal");
        const bsms::Sms_Record rec = bsms::Decode_Sms_Deliver(part.Part_Pdu, {});
        Check(rec.Kind == bsms::SmsKind::Submit && rec.octetsMissing == 0, "a whole SUBMIT");
        Check(rec.Sender_Number == r.recipient, "the recipient reads back as typed");
        Check(rec.Service_Centre == "+" + std::string(bsms::ServiceCentreDigits(r.serviceCentre)),
              "the service centre reads back");
        decoded += rec.Text;
    }
    Check(decoded == bsms::U32ToUtf8(text), "the text reads back whole");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view in = bsms::fuzz::Text(data, size);
    const int flags = Next(in);
    bsms::SubmitRequest r =
        (flags & 4) != 0 ? AlphabetRequest(in, (flags & 8) != 0) : RawRequest(in);
    r.statusReport = (flags & 1) != 0;
    r.flash = (flags & 2) != 0;
    const bsms::BuildOutcome o = bsms::BuildSubmit(r);
    if (o.refusal == bsms::BuildRefusal::None) CheckAccepted(r, o);
    Check(o.refusal == bsms::BuildRefusal::None ||
              (o.build.partCount() == 0 && o.build.Text3() == "\r\r\r\r"),
          "a refusal leaves no PDU");
    return 0;
}
