// The phone's command interpreter: bytes from the client in, bytes for the client out. Knows
// nothing of the pseudo-terminal, so it also runs in-process.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scenario.h"

namespace phonesim {

class Modem {
  public:
    // `sentLog`: file that every PDU accepted by AT+CMGS is appended to; empty for none.
    explicit Modem(Config config, std::string sentLog = {});

    // Bytes from the client, received at `nowMs` (any steady clock); returns the answer.
    std::string Receive(std::string_view bytes, std::int64_t nowMs);
    // The client closed the device: a half-typed line or PDU is forgotten.
    void Hangup();
    // A message arrives on demand (the next arrival without a command); returns its
    // unsolicited code, or nothing.
    std::string ArriveNext();
    // A "vanish" fault fired: the device is to disappear once the answer is out.
    bool Vanished() const { return vanished_; }
    // Where the first answer to a command begins in what the last Receive returned (the echo
    // before it); npos when there was none.
    std::size_t AnswerAt() const { return answerAt_; }

    const Config& config() const { return cfg_; }

  private:
    enum class Op { Exec, Read, Set, Test };
    enum class Final { Ok, Error, Cms, Cme, Unknown, Prompt, None };
    struct Result {
        Final final = Final::Ok;
        int code = 0;
    };
    using Handler = Result (Modem::*)(Op, const std::vector<std::string>&);
    struct Command {
        const char* name;
        Handler handler;
    };
    static const std::vector<Command>& Commands();

    std::string CommandLine(const std::string& line);
    std::string Execute(const std::string& line);
    std::string FinishPdu(bool cancelled);
    // The status report on the message just sent, routed as AT+CNMI says; empty for none.
    std::string Report(int reference);
    std::string FinalText(Result r) const;
    std::string AfterReply(const std::string& line);
    std::string Noise();
    std::string Arrive(const std::vector<std::string>& pdus);
    void Reset();

    // Memory `which` (0 read/delete, 1 write, 2 receive) and a location in it; "MT" is the
    // SIM's locations followed by the phone's. Null when the location is out of range.
    MessageStore* Locate(int which, int index, int& slot);
    int Capacity(int which);
    int Used(int which);
    Result Info(std::string line);
    // A command that needs the SIM, refused while the SIM is locked or busy; nothing when it
    // may run.
    std::optional<Result> SimRefuses(const std::string& command);
    bool Registered() const { return cfg_.registration == 1 || cfg_.registration == 5; }
    Result Registration(Op op, const std::vector<std::string>& a, const std::string& prefix, int& n,
                        const std::string& cell);

    Result Identity(Op op, const std::string& value);
    Result Cgmi(Op, const std::vector<std::string>&);
    Result Cgmm(Op, const std::vector<std::string>&);
    Result Cgmr(Op, const std::vector<std::string>&);
    Result Cgsn(Op, const std::vector<std::string>&);
    Result Cimi(Op, const std::vector<std::string>&);
    Result Gcap(Op, const std::vector<std::string>&);
    Result Cpin(Op, const std::vector<std::string>&);
    Result Cpinr(Op, const std::vector<std::string>&);
    Result HuaweiCpin(Op, const std::vector<std::string>&);
    Result Csq(Op, const std::vector<std::string>&);
    Result Creg(Op, const std::vector<std::string>&);
    Result Cereg(Op, const std::vector<std::string>&);
    Result Cops(Op, const std::vector<std::string>&);
    Result Cbc(Op, const std::vector<std::string>&);
    Result Cfun(Op, const std::vector<std::string>&);
    Result Cmee(Op, const std::vector<std::string>&);
    Result Cmgf(Op, const std::vector<std::string>&);
    Result Cscs(Op, const std::vector<std::string>&);
    Result Csms(Op, const std::vector<std::string>&);
    Result Cnmi(Op, const std::vector<std::string>&);
    Result Cpms(Op, const std::vector<std::string>&);
    Result Csca(Op, const std::vector<std::string>&);
    Result Cmgs(Op, const std::vector<std::string>&);
    Result Cmgw(Op, const std::vector<std::string>&);
    Result Cmgr(Op, const std::vector<std::string>&);
    Result Cmgl(Op, const std::vector<std::string>&);
    Result Cmgd(Op, const std::vector<std::string>&);
    Result Cpbs(Op, const std::vector<std::string>&);
    Result Cpbr(Op, const std::vector<std::string>&);
    Result Cpbw(Op, const std::vector<std::string>&);

    Config cfg_;
    std::string sentLog_;
    // Settings that ATZ resets (with echo_, cmee_, cregN_, ceregN_ and copsFormat_ below).
    std::string charset_;
    std::string cnmi_;
    std::string memories_[3] = {"SM", "SM", "SM"};  // read/delete, write/send, receive
    std::string phonebook_ = "SM";
    // The SIM, as it stays whatever the client does short of unlocking it (with lock_ and the
    // tries below).
    std::string pin_;

    std::string line_;  // the command line being typed
    std::string pdu_, pduEcho_;
    std::int64_t promptAt_ = 0;
    std::string lastLine_, pduLine_;
    std::int64_t now_ = 0;
    std::vector<bool> arrived_;
    std::vector<std::string> info_;  // information lines of the command being run
    std::size_t answerAt_ = std::string::npos;
    std::size_t nextArrival_ = 0;

    int cmee_;
    int cregN_ = 0, ceregN_ = 0;  // how registration is reported
    int copsFormat_ = 0;          // the operator's long name, short name or number
    Config::Lock lock_;
    int pinLeft_, pukLeft_;
    int busyLeft_;
    int pduLength_ = 0, pduStat_ = 2;
    std::uint32_t noiseState_ = 1;
    int messageRef_ = 0;

    bool echo_;
    bool overflow_ = false;  // the command line grew longer than the phone holds
    bool inPdu_ = false;
    bool pduStore_ = false;
    bool vanishPending_ = false;
    bool argsQuoted_ = false;  // every parameter of the command being run was quoted
    bool vanished_ = false;
};

}  // namespace phonesim
