// The builder on any request, checked against the decoder: what it accepts reads back as the text
// it was given, in one to five parts, with the recipient and service centre as typed; what it
// refuses leaves no PDU. Input: a flags octet, then either three fields split at line feeds
// (service centre, recipient, text, any bytes), or numbers and a text made of the alphabet
// table's characters (and, by a flag, the extension table's and others only UCS2 carries) at a
// length that spreads over every part count.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "sms/address.h"
#include "sms/alphabet.h"
#include "sms/decoder.h"
#include "sms/pdu_builder.h"

namespace {

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t next() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::string_view rest() const {
        return {reinterpret_cast<const char*>(data_) + pos_, size_ - std::min(pos_, size_)};
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// A number of up to 22 digits, "*" and "#" among them when allowed, with or without "+".
std::string Number(Input& in, bool starHash) {
    const int flags = in.next();
    std::string n = (flags & 1) != 0 ? "+" : "";
    const char* signs = starHash ? "0123456789*#" : "0123456789";
    for (int count = (flags >> 1) % 23; count > 0; --count)
        n.push_back(signs[in.next() % (starHash ? 12 : 10)]);
    return n;
}

bsms::SubmitRequest AlphabetRequest(Input& in, bool wider) {
    // The 7-bit alphabet; wider, its extension table and characters only UCS2 carries.
    static const std::vector<std::string> narrow = [] {
        std::vector<std::string> c;
        for (const std::string& e : bsms::Gsm_Alphabet())
            if (!e.empty()) c.push_back(e);
        return c;
    }();
    static const std::vector<std::string> wide = [] {
        std::vector<std::string> c = narrow;
        for (int v = 0; v < 128; ++v)
            if (!bsms::Gsm_Extension(v).empty()) c.emplace_back(bsms::Gsm_Extension(v));
        for (const char* u : {"ł", "Ж", "€", "\U0001F600", "\t"})
            c.emplace_back(u);
        return c;
    }();
    const std::vector<std::string>& chars = wider ? wide : narrow;
    bsms::SubmitRequest r;
    r.serviceCentre = Number(in, false);
    r.recipient = Number(in, true);
    const std::size_t length = (in.next() | in.next() << 8) % (bsms::kMaxMessageChars + 1);
    const std::string_view source = in.rest();
    for (std::size_t i = 0; i < length; ++i)
        r.text += chars[source.empty()
                            ? i % chars.size()
                            : static_cast<unsigned char>(source[i % source.size()]) % chars.size()];
    return r;
}

bsms::SubmitRequest RawRequest(Input& in) {
    std::string_view rest = in.rest();
    std::string fields[3];
    for (int i = 0; i < 2; ++i) {
        const std::size_t lf = std::min(rest.find('\n'), rest.size());
        fields[i] = rest.substr(0, lf);
        rest.remove_prefix(std::min(lf + 1, rest.size()));
    }
    fields[2] = rest;
    return {fields[0], fields[1], fields[2]};
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
        for (char c : part.Part_Pdu)
            Check((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'), "upper-case hexadecimal");
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
    Input in(data, size);
    const int flags = in.next();
    bsms::SubmitRequest r =
        (flags & 4) != 0 ? AlphabetRequest(in, (flags & 8) != 0) : RawRequest(in);
    r.statusReport = (flags & 1) != 0;
    r.flash = (flags & 2) != 0;
    const bsms::BuildOutcome o = bsms::BuildSubmit(r);
    if (o.refusal == bsms::BuildRefusal::None) {
        CheckAccepted(r, o);
        return 0;
    }
    Check(o.build.partCount() == 0 && o.build.Text3() == "\r\r\r\r", "a refusal leaves no PDU");
    return 0;
}
