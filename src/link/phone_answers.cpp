#include "link/phone_answers.h"

#include <vector>

namespace bsms {

namespace {

// A phone's own names and numbers stay short; a longer field is noise.
constexpr std::size_t kFieldLimit = 64;

struct Field {
    std::string text;
    bool quoted = false;
};

// The rest of the first line that begins with `tag`, blanks after it skipped.
std::optional<std::string_view> LineAfter(std::string_view answer, std::string_view tag) {
    for (std::size_t at = answer.find(tag); at != std::string_view::npos;
         at = answer.find(tag, at + 1)) {
        if (at > 0 && answer[at - 1] != '\r' && answer[at - 1] != '\n') continue;
        std::string_view rest = answer.substr(at + tag.size());
        rest = rest.substr(0, rest.find_first_of("\r\n"));
        while (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
        return rest;
    }
    return std::nullopt;
}

// Comma-separated fields; commas inside quotes belong to the field.
std::vector<Field> FieldsOf(std::string_view line) {
    std::vector<Field> fields(1);
    bool inQuotes = false;
    for (const char c : line) {
        if (c == '"') {
            inQuotes = !inQuotes;
            fields.back().quoted = true;
        } else if (c == ',' && !inQuotes) {
            fields.emplace_back();
        } else if ((c != ' ' || inQuotes) && fields.back().text.size() < kFieldLimit) {
            fields.back().text += c;
        }
    }
    return fields;
}

// A small number, or -1.
int NumberOf(const Field& f) {
    if (f.quoted || f.text.empty() || f.text.size() > 3) return -1;
    int n = 0;
    for (const char c : f.text) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// A code such as "SIM PIN", quoted or not, as "SIMPIN".
std::string CodeOf(const Field& f) {
    std::string code;
    for (const char c : f.text)
        if (c != ' ') code += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return code;
}

}  // namespace

SimStep SimStepOf(std::string_view answer) {
    const auto line = LineAfter(answer, "+CPIN:");
    if (!line) return SimStep::Unknown;
    const std::string code = CodeOf(FieldsOf(*line).front());
    if (code == "SIMPIN") return SimStep::Pin;
    if (code == "SIMPUK") return SimStep::Puk;
    return SimStep::Ready;
}

std::optional<int> PinTriesOf(std::string_view answer, bool puk) {
    const std::string_view wanted = puk ? "SIMPUK" : "SIMPIN";
    for (std::size_t at = 0; at < answer.size();) {
        const std::size_t end = std::min(answer.find_first_of("\r\n", at), answer.size());
        const std::string_view text = answer.substr(at, end - at);
        at = end + 1;
        if (const auto l = LineAfter(text, "+CPINR:")) {
            const auto f = FieldsOf(*l);
            if (f.size() >= 2 && CodeOf(f[0]) == wanted && NumberOf(f[1]) >= 0)
                return NumberOf(f[1]);
        } else if (const auto v = LineAfter(text, "^CPIN:")) {
            const auto f = FieldsOf(*v);
            const std::size_t k = puk ? 2 : 3;
            if (f.size() > k && NumberOf(f[k]) >= 0) return NumberOf(f[k]);
        }
    }
    return std::nullopt;
}

Registration RegistrationOf(std::string_view answer, std::string_view tag) {
    const auto line = LineAfter(answer, tag);
    if (!line) return Registration::Unknown;
    const auto f = FieldsOf(*line);
    // An unsolicited line has the state first, and a quoted area code (if any) after it.
    const bool answerForm = f.size() >= 2 && !f[1].quoted;
    switch (NumberOf(f[answerForm ? 1 : 0])) {
        case 1:
        case 6:  // for SMS only
        case 9:  // CSFB not preferred
            return Registration::Home;
        case 5:
        case 7:
        case 10:
            return Registration::Roaming;
        case 2:
            return Registration::Searching;
        case 3:
            return Registration::Denied;
        case -1:
            return Registration::Unknown;
        default:  // 0, 4 (unknown), 8 (emergency calls only), ...
            return Registration::None;
    }
}

std::string OperatorOf(std::string_view answer) {
    const auto line = LineAfter(answer, "+COPS:");
    if (!line) return {};
    const auto f = FieldsOf(*line);
    return f.size() >= 3 ? f[2].text : std::string();
}

std::optional<int> SignalOf(std::string_view answer) {
    const auto line = LineAfter(answer, "+CSQ:");
    if (!line) return std::nullopt;
    const int rssi = NumberOf(FieldsOf(*line).front());
    return rssi >= 0 && rssi <= 31 ? rssi : 99;
}

int SignalBars(int rssi) {
    if (rssi < 0 || rssi > 31) return -1;
    if (rssi == 0) return 0;
    if (rssi < 10) return 1;
    if (rssi < 15) return 2;
    return rssi < 20 ? 3 : 4;
}

}  // namespace bsms
