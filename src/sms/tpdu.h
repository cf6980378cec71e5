// The fields and bits of the SMS transfer layer (3GPP TS 23.040) that the builder and the decoder
// use, each named once.
#pragma once

#include <cstddef>

namespace bsms::tp {

// First octet.
inline constexpr int kMtiMask = 0x03;  // message type
inline constexpr int kMtiDeliver = 0x00, kMtiSubmit = 0x01, kMtiStatusReport = 0x02;
inline constexpr int kVpfShift = 3, kVpfMask = 0x03;  // SUBMIT: validity period format
inline constexpr int kVpfNone = 0, kVpfEnhanced = 1, kVpfRelative = 2, kVpfAbsolute = 3;
inline constexpr int kSrr = 0x20;   // SUBMIT: status report requested
inline constexpr int kUdhi = 0x40;  // a user data header leads the user data

// Addresses.
inline constexpr int kTypeInternational = 0x91;       // international number, telephone plan
inline constexpr int kTypeUnknown = 0x81;             // number of unknown type, telephone plan
inline constexpr int kTonShift = 4, kTonMask = 0x07;  // type of number within the type octet
inline constexpr int kTonAlphanumeric = 5;
inline constexpr std::size_t kMaxAddressDigits = 20;
inline constexpr int kSemiOctetFiller = 0x0F;

// Fields the builder writes as constants.
inline constexpr int kMessageRef = 0xF3;
inline constexpr int kPidPlain = 0x00;
inline constexpr int kDcsDefault = 0x00;       // 7-bit default alphabet, no class
inline constexpr int kDcsFlash = 0xF0;         // 7-bit default alphabet, class 0
inline constexpr int kDcsUcs2 = 0x08;          // UCS2, no class
inline constexpr int kDcsUcs2Flash = 0x18;     // UCS2, class 0
inline constexpr int kValidityLongest = 0xFF;  // relative format: 63 weeks

inline constexpr std::size_t kTimeStampOctets = 7;
// The time zone octet, semi-octets swapped: quarters of an hour, the tens in bits 0-2 and the
// sign in bit 3 (set: west of Greenwich).
inline constexpr int kZoneTensMask = 0x07, kZoneNegative = 0x08;
inline constexpr std::size_t kMaxUserDataOctets = 140;
inline constexpr std::size_t kMaxSeptets = 160;
inline constexpr std::size_t kMaxUdl = 255;  // TP-UDL is one octet

// Data coding scheme.
inline constexpr int kDcsGeneralLimit = 0x80;  // below: general data coding group
inline constexpr int kDcsAlphabetShift = 2, kDcsAlphabetMask = 0x03;
inline constexpr int kAlphabet8Bit = 1, kAlphabetUcs2 = 2;
inline constexpr int kDcsGroupMask = 0xF0;
inline constexpr int kDcsGroupUcs2Waiting = 0xE0;  // message waiting, UCS2 text
inline constexpr int kDcsGroupClass = 0xF0;        // data coding and message class
inline constexpr int kDcsClass8Bit = 0x04;

// Information elements of the user data header.
inline constexpr int kIeiConcat8 = 0x00;
inline constexpr int kIeiConcat16 = 0x08;
inline constexpr int kIeiSingleShift = 0x24;   // national language single shift table
inline constexpr int kIeiLockingShift = 0x25;  // national language locking shift table

// Status report: TP-ST ranges and the parameter indicator.
inline constexpr int kStatusPendingFirst = 0x20, kStatusFailedFirst = 0x40;
inline constexpr int kStatusUnknown = -1;  // the report lacks its status octet
inline constexpr int kPiPid = 0x01, kPiDcs = 0x02, kPiUdl = 0x04, kPiExtension = 0x80;
inline constexpr int kPiPadding = 0xFF;  // what some phones store after a report

}  // namespace bsms::tp
