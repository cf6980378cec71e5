// The search for the phone among the serial devices: which devices to try, one try after another
// with AT, AT+CGMM and AT+CMGF=0, and the link comN pointed at the one chosen.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/comm_port.h"

namespace bsms {

struct SearchCandidate {
    std::string device;  // what is opened
    std::string stable;  // what a comN link is pointed at: its by-id link, else the device itself
};

// First the links of devRoot/serial/by-id, then devRoot/ttyUSB* and ttyACM* that none of them
// names, then the folder's comN links to devices not yet listed; a device once only (compared by
// canonical path), links that lead nowhere left out.
std::vector<SearchCandidate> SearchCandidates(const std::filesystem::path& folder,
                                              const std::filesystem::path& devRoot = "/dev");

// The final result line of an answer ("OK", "ERROR", "+CME ERROR: ..."), once one has come whole.
std::optional<std::string> FinalResult(const std::string& answer);

using PortMaker = std::function<std::unique_ptr<CommPort>(const std::string& device)>;

struct SearchFinding {
    enum class Outcome { Answered, NoAccess, NotOpened };
    SearchCandidate candidate;
    Outcome outcome = Outcome::Answered;
    std::string model;  // as the device named itself to AT+CGMM; empty when it did not
    bool pdu = false;   // it took AT+CMGF=0
};

// Tries the candidates in turn on ports of their own. A device that answers AT with OK is listed,
// one that cannot be opened is listed with the reason, one that is silent or answers garbage is
// not. Every command has stepTicks ticks for its final result; the device's try ends there.
class PortSearch {
  public:
    PortSearch(std::vector<SearchCandidate> candidates, PortMaker makePort, std::string settings,
               int stepTicks);
    ~PortSearch();
    PortSearch(const PortSearch&) = delete;
    PortSearch& operator=(const PortSearch&) = delete;

    void start();
    // One tick of the window's timer: counts down the command on the line, and moves on from a
    // device whose try is over.
    void tick();
    // Ends the try on the line and closes its device at once.
    void cancel();

    bool running() const { return started_ && !over_; }
    // While running, the number of the candidate being tried (from 1); then how many there are.
    std::size_t position() const { return next_; }
    // The candidate being tried, or none.
    const SearchCandidate* current() const;
    const std::vector<SearchCandidate>& candidates() const { return candidates_; }
    const std::vector<SearchFinding>& findings() const { return findings_; }

    // A device's try began, ended, or the search is over.
    std::function<void()> onChange;

  private:
    void arrived();
    void write(int step);
    void endTry();
    void closePort();
    void advance();
    void changed() {
        if (onChange) onChange();
    }

    std::vector<SearchCandidate> candidates_;
    PortMaker makePort_;
    std::string settings_;
    int stepTicks_;
    std::size_t next_ = 0;  // the candidate after the one on the line
    bool started_ = false;
    bool over_ = false;
    std::unique_ptr<CommPort> port_;
    int step_ = 0;
    int ticks_ = 0;
    bool tryOver_ = false;  // moved on from at the next tick, out of the port's own event
    std::string answer_;
    std::optional<SearchFinding> finding_;  // the device on the line, once it answered AT
    std::vector<SearchFinding> findings_;
};

// Points the link comN in the folder at target, replacing a link there but never a file.
enum class LinkOutcome { Made, NotALink, Failed };
LinkOutcome PointPortLink(const std::filesystem::path& folder, int n, const std::string& target);

}  // namespace bsms
