#include "compose/editor.h"

#include "base/text.h"
#include "core/program.h"
#include "sms/pdu_builder.h"

namespace bsms {

namespace {

std::string CharList(const std::vector<char32_t>& chars) {
    std::string out;
    for (char32_t c : chars)
        out += (out.empty() ? "" : " ") + DescribeChar(c);
    return out;
}

}  // namespace

void Elabora(Program& p) {
    Window& f = *p.Form1;
    // What groups the digits goes, so that the log and the question show the number sent.
    if (const std::string plain = PlainNumber(f["Text4"].text()); plain != f["Text4"].text())
        f["Text4"].setText(plain);
    SubmitRequest request;
    request.serviceCentre = f["Text2"].text();
    request.recipient = f["Text4"].text();
    request.text = f["Text5"].text();
    request.statusReport = p.st.Opt_Status_Report;
    request.flash = p.st.Opt_Flash;
    BuildOutcome outcome = BuildSubmit(request);
    p.Pdu_Parts = outcome.build;
    if (outcome.refusal == BuildRefusal::None) {
        f["Text3"].setText(p.Pdu_Parts.Text3());
        return;
    }
    for (PduPart& part : p.Pdu_Parts.parts)
        part.Part_Pdu.clear();
    f["Text3"].setText("");
    std::string text;
    switch (outcome.refusal) {
        case BuildRefusal::ServiceCentreMissing:
            text = p.texts[MsgId::Service_Centre_Missing];
            break;
        case BuildRefusal::BadServiceCentre:
            text = p.texts[MsgId::Bad_Service_Centre] + " " + CharList(outcome.offending);
            break;
        case BuildRefusal::BadRecipient:
            text = p.texts[MsgId::Bad_Recipient] + " " + CharList(outcome.offending);
            break;
        case BuildRefusal::ServiceCentreTooLong:
        case BuildRefusal::RecipientTooLong:
            text = p.texts[MsgId::Number_Too_Long] + " " +
                   (outcome.refusal == BuildRefusal::RecipientTooLong ? request.recipient
                                                                      : request.serviceCentre);
            break;
        case BuildRefusal::None:
            break;
    }
    p.Box(text, p.texts[MsgId::Title_Send_Impossible], MsgIcon::Critical);
}

void Text5_Change(Program& p) {
    Window& f = *p.Form1;
    // In the units of the text's encoding: characters of the 7-bit alphabet (an escaped one
    // counts two), or UTF-16 units.
    const MessagePlan plan = PlanMessage(f["Text5"].text());
    f["Label12"].setText(std::to_string(plan.capacity - std::min(plan.units, plan.capacity)));
    f["Label5"].setText(std::to_string(plan.units));
    f["Label14"].setText(std::to_string(std::min(plan.parts, kMaxParts)));
    std::string encoding = p.texts[MsgId::Encoding_Per_Sms];
    encoding.replace(encoding.find("%1"), 2,
                     plan.encoding == Encoding::Ucs2 ? "UCS2" : "GSM 7-bit");
    encoding.replace(encoding.find("%2"), 2, std::to_string(plan.perPart));
    f["Label15"].setText(encoding);
}

bool Text5_Fits(const std::string& text) {
    return PlanMessage(text).fits();
}

void Set_Message_Text(Program& p, const std::string& text) {
    Control& box = (*p.Form1)["Text5"];
    if (Text5_Fits(text)) {
        box.setText(text);
        return;
    }
    // The longest start that fits, in whole characters.
    const std::u32string chars = Utf8ToU32(text);
    std::size_t fits = 0, over = chars.size();
    while (over - fits > 1) {
        const std::size_t mid = fits + (over - fits) / 2;
        (Text5_Fits(U32ToUtf8(chars.substr(0, mid))) ? fits : over) = mid;
    }
    box.setText(U32ToUtf8(chars.substr(0, fits)));
    std::string told = p.texts[MsgId::Reply_Cut];
    told.replace(told.find("%1"), 2, std::to_string(fits));
    p.Box(told, p.texts[MsgId::Title_Information], MsgIcon::Exclamation);
}

void Text5_GotFocus(Program& p) {
    Control& box = (*p.Form1)["Text5"];
    const std::size_t n = CharCount(box.text());
    if (p.st.Special_Chars_Return) {
        box.setSelection(n, 0);
        p.st.Special_Chars_Return = false;
    } else {
        box.setSelection(0, n);
    }
}

void Clear_Message(Program& p) {
    Control& box = (*p.Form1)["Text5"];
    box.setText("");
    box.setFocus();
}

namespace {

// The check mark is the state that is read; the option follows it.
void Toggle(MenuItem& item, bool& option) {
    item.setChecked(!item.checked());
    option = item.checked();
}

}  // namespace

void Toggle_Confirm_Send(Program& p) {
    Toggle(p.Form1->menu("Mn_Conferma"), p.st.Opt_Confirm_Send);
}
void Toggle_Flash(Program& p) {
    Toggle(p.Form1->menu("Mn_Flash"), p.st.Opt_Flash);
}
void Toggle_Status_Report(Program& p) {
    Toggle(p.Form1->menu("Mn_Ricevuta"), p.st.Opt_Status_Report);
}

}  // namespace bsms
