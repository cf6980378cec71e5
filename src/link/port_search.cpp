#include "link/port_search.h"

#include <algorithm>
#include <set>
#include <string_view>

namespace bsms {

namespace fs = std::filesystem;

namespace {

// What the try writes, in turn: is anyone there, who, and does it take PDU mode.
constexpr std::string_view kSteps[] = {"AT\r", "AT+CGMM\r", "AT+CMGF=0\r"};

// The complete lines of an answer: a line is complete once its line break has come.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        if (i > from) lines.push_back(text.substr(from, i - from));
        from = i + 1;
    }
    return lines;
}

bool IsFinal(std::string_view line) {
    return line == "OK" || line == "ERROR" || line.starts_with("+CME ERROR:");
}

// The model in an answer to AT+CGMM: its first line that is neither the echo, the result, nor a
// line the device sends of its own accord ("^RSSI:", "+CREG:").
std::string ModelIn(std::string_view answer) {
    for (std::string_view line : Lines(answer)) {
        if (line == "AT+CGMM" || IsFinal(line) || line.starts_with('^')) continue;
        if (line.starts_with("+CGMM:"))
            line.remove_prefix(6);
        else if (line.starts_with('+'))
            continue;
        while (line.starts_with(' '))
            line.remove_prefix(1);
        return std::string(line);
    }
    return {};
}

// The entries of a folder whose names start with stem and go on in digits, by number; with an
// empty stem, every entry by name.
std::vector<fs::path> Numbered(const fs::path& dir, const std::string& stem) {
    std::vector<std::pair<unsigned long long, fs::path>> found;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (stem.empty()) {
            found.emplace_back(0, it->path());
            continue;
        }
        const std::string digits = name.substr(std::min(stem.size(), name.size()));
        if (!name.starts_with(stem) || digits.empty() || digits.size() > 9 ||
            !std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        found.emplace_back(std::stoull(digits), it->path());
    }
    std::ranges::sort(found);
    std::vector<fs::path> out;
    out.reserve(found.size());
    for (auto& [n, path] : found)
        out.push_back(std::move(path));
    return out;
}

}  // namespace

std::vector<SearchCandidate> SearchCandidates(const fs::path& folder, const fs::path& devRoot) {
    std::vector<SearchCandidate> out;
    std::set<fs::path> seen;
    // A device reached twice is tried once, under the first (most stable) of its names.
    const auto add = [&](const fs::path& path, bool stableName) {
        std::error_code ec;
        const fs::path real = fs::canonical(path, ec);
        if (ec || !seen.insert(real).second) return;
        out.push_back({path.string(), stableName ? path.string() : real.string()});
    };
    for (const fs::path& id : Numbered(devRoot / "serial" / "by-id", ""))
        add(id, true);
    for (const char* stem : {"ttyUSB", "ttyACM"})
        for (const fs::path& dev : Numbered(devRoot, stem))
            add(dev, true);
    // A link of the folder is pointed at where it leads, never at another link of the folder.
    for (const fs::path& link : Numbered(folder, "com"))
        add(link, false);
    return out;
}

std::optional<std::string> FinalResult(const std::string& answer) {
    for (std::string_view line : Lines(answer))
        if (IsFinal(line)) return std::string(line);
    return std::nullopt;
}

PortSearch::PortSearch(std::vector<SearchCandidate> candidates, PortMaker makePort,
                       std::string settings, int stepTicks)
    : candidates_(std::move(candidates)),
      makePort_(std::move(makePort)),
      settings_(std::move(settings)),
      stepTicks_(stepTicks) {}

PortSearch::~PortSearch() {
    closePort();
}

const SearchCandidate* PortSearch::current() const {
    return running() && port_ ? &candidates_[next_ - 1] : nullptr;
}

void PortSearch::start() {
    if (started_) return;
    started_ = true;
    advance();
}

void PortSearch::tick() {
    if (!running()) return;
    if (!tryOver_ && ++ticks_ < stepTicks_) return;
    endTry();
    advance();
}

void PortSearch::cancel() {
    if (!running()) return;
    endTry();
    closePort();
    over_ = true;
    changed();
}

void PortSearch::write(int step) {
    step_ = step;
    ticks_ = 0;
    answer_.clear();
    port_->output(std::string(kSteps[step]));
}

void PortSearch::arrived() {
    if (!port_) return;
    answer_ += port_->input();
    if (tryOver_) return;
    const auto result = FinalResult(answer_);
    if (!result) return;
    // The device is closed at the next tick, not inside its own event.
    if (step_ == 0) {
        if (*result != "OK") {
            tryOver_ = true;
            return;
        }
        finding_.emplace();
        finding_->candidate = candidates_[next_ - 1];
        write(1);
    } else if (step_ == 1) {
        if (*result == "OK") finding_->model = ModelIn(answer_);
        write(2);
    } else {
        finding_->pdu = *result == "OK";
        tryOver_ = true;
    }
}

void PortSearch::endTry() {
    if (finding_) findings_.push_back(std::move(*finding_));
    finding_.reset();
}

void PortSearch::closePort() {
    if (!port_) return;
    port_->onComm = nullptr;
    port_->setPortOpen(false);
    port_.reset();
}

void PortSearch::advance() {
    closePort();
    while (next_ < candidates_.size()) {
        const SearchCandidate& c = candidates_[next_++];
        tryOver_ = false;
        std::unique_ptr<CommPort> port = makePort_ ? makePort_(c.device) : nullptr;
        if (!port) continue;
        try {
            port->setSettings(settings_);
        } catch (const CommError&) {
            // The port's own settings, then: a modem on USB does not mind the speed.
        }
        try {
            port->setPortOpen(true);
        } catch (const CommError& e) {
            SearchFinding& refused = findings_.emplace_back();
            refused.candidate = c;
            refused.outcome = e.kind() == CommError::Kind::NoPermission
                                  ? SearchFinding::Outcome::NoAccess
                                  : SearchFinding::Outcome::NotOpened;
            changed();
            continue;
        }
        port->input();  // what waited there answers nothing of ours
        port_ = std::move(port);
        port_->onComm = [this] { arrived(); };
        write(0);
        changed();
        return;
    }
    over_ = true;
    changed();
}

LinkOutcome PointPortLink(const fs::path& folder, int n, const std::string& target) {
    const fs::path link = folder / ("com" + std::to_string(n));
    std::error_code ec;
    const fs::file_status now = fs::symlink_status(link, ec);
    if (fs::exists(now) && !fs::is_symlink(now)) return LinkOutcome::NotALink;
    // Made beside it and renamed over it: the old link stays until the new one is whole.
    const fs::path made = folder / (link.filename().string() + ".new");
    fs::remove(made, ec);
    fs::create_symlink(target, made, ec);
    if (ec) return LinkOutcome::Failed;
    fs::rename(made, link, ec);
    if (ec) {
        fs::remove(made, ec);
        return LinkOutcome::Failed;
    }
    return LinkOutcome::Made;
}

}  // namespace bsms
