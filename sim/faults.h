#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "request.h"

// Link faults the simulator can inject into its answers, deterministically from a seed.

enum class FaultKind { Drop, BadCrc, Split, Merge, Garbage, Vanish };
inline constexpr std::size_t FaultKindCount = 6;

// "drop", "bad-crc", "split", "merge", "garbage", "vanish".
std::string_view faultName(FaultKind kind);
// Throws std::invalid_argument for an unknown name.
FaultKind faultKindFromName(std::string_view name);

// When a fault strikes: for each of the next `nextAnswers` answers, then at random with
// `probability` per answer.
struct FaultRule {
    double probability = 0;
    unsigned nextAnswers = 0;
};

// "0.25" (a probability) or "next:3" (the next three answers). Throws std::invalid_argument.
FaultRule parseFaultRule(std::string_view text);

struct FaultShape {
    double splitPause = 0.15; // seconds between the pieces of a split answer
    unsigned splitPieces = 2;
    unsigned garbageBytes = 5;   // inserted before the answer
    double vanishFor = 1.0;      // seconds the device stays away
    double mergeHoldLimit = 2.0; // a held answer goes alone after this many seconds
};

// One write of the answer: `bytes` go out `delay` seconds after the previous piece.
struct Piece {
    double delay = 0;
    std::vector<std::uint8_t> bytes;
};

struct FaultOutcome {
    bool vanish = false;       // the device disappears instead of answering
    bool hold = false;         // keep the pieces and send them together with the next answer
    std::vector<Piece> pieces; // empty when the answer is dropped
};

class FaultInjector {
public:
    explicit FaultInjector(std::uint64_t seed) : random_(seed) {}

    void setRule(FaultKind kind, FaultRule rule) { rules_[index(kind)] = rule; }
    FaultRule rule(FaultKind kind) const { return rules_[index(kind)]; }
    FaultShape& shape() { return shape_; }
    const FaultShape& shape() const { return shape_; }

    // Decides what happens to one answer on its way out.
    FaultOutcome apply(Frame answer);

    // How often each fault has struck.
    unsigned struck(FaultKind kind) const { return struck_[index(kind)]; }

private:
    static std::size_t index(FaultKind kind) { return static_cast<std::size_t>(kind); }
    bool strikes(FaultKind kind);
    std::vector<Piece> split(std::vector<std::uint8_t> bytes);

    std::array<FaultRule, FaultKindCount> rules_{};
    std::array<unsigned, FaultKindCount> struck_{};
    FaultShape shape_;
    std::mt19937_64 random_;
};
