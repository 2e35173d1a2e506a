#include "faults.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

namespace {

constexpr std::array<std::string_view, FaultKindCount> FaultNames{"drop",  "bad-crc", "split",
                                                                  "merge", "garbage", "vanish"};

} // namespace

std::string_view faultName(FaultKind kind) {
    return FaultNames[static_cast<std::size_t>(kind)];
}

FaultKind faultKindFromName(std::string_view name) {
    const auto found = std::find(FaultNames.begin(), FaultNames.end(), name);
    if (found == FaultNames.end())
        throw std::invalid_argument("unknown fault \"" + std::string(name) + "\"");
    return static_cast<FaultKind>(found - FaultNames.begin());
}

FaultRule parseFaultRule(std::string_view text) {
    constexpr std::string_view NextPrefix = "next:";
    FaultRule rule;
    const auto invalid = [&] {
        return std::invalid_argument("\"" + std::string(text) +
                                     "\" is neither a probability 0-1 nor next:COUNT");
    };
    if (text.starts_with(NextPrefix)) {
        const std::string_view count = text.substr(NextPrefix.size());
        const auto [end, error] =
            std::from_chars(count.data(), count.data() + count.size(), rule.nextAnswers);
        if (error != std::errc() || end != count.data() + count.size() || count.empty())
            throw invalid();
        return rule;
    }
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), rule.probability);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() ||
        !(rule.probability >= 0 && rule.probability <= 1))
        throw invalid();
    return rule;
}

bool FaultInjector::strikes(FaultKind kind) {
    FaultRule& rule = rules_[index(kind)];
    bool hit = false;
    if (rule.nextAnswers > 0) {
        --rule.nextAnswers;
        hit = true;
    } else if (rule.probability > 0) {
        hit = std::uniform_real_distribution<double>(0, 1)(random_) < rule.probability;
    }
    if (hit)
        ++struck_[index(kind)];
    return hit;
}

// Cuts at random places into non-empty pieces, `splitPause` apart.
std::vector<Piece> FaultInjector::split(std::vector<std::uint8_t> bytes) {
    const std::size_t pieces = std::clamp<std::size_t>(shape_.splitPieces, 1, bytes.size());
    std::vector<std::size_t> cuts;
    while (cuts.size() + 1 < pieces) {
        const std::size_t cut =
            std::uniform_int_distribution<std::size_t>(1, bytes.size() - 1)(random_);
        if (std::find(cuts.begin(), cuts.end(), cut) == cuts.end())
            cuts.push_back(cut);
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.push_back(bytes.size());
    std::vector<Piece> result;
    std::size_t from = 0;
    for (const std::size_t to : cuts) {
        result.push_back(
            {result.empty() ? 0 : shape_.splitPause,
             std::vector<std::uint8_t>(bytes.begin() + long(from), bytes.begin() + long(to))});
        from = to;
    }
    return result;
}

FaultOutcome FaultInjector::apply(Frame answer) {
    FaultOutcome outcome;
    if (strikes(FaultKind::Vanish)) {
        outcome.vanish = true;
        return outcome;
    }
    if (strikes(FaultKind::Drop))
        return outcome;
    if (strikes(FaultKind::BadCrc) && !answer.empty())
        answer.back() ^= 0xFF;
    if (strikes(FaultKind::Garbage)) {
        std::vector<std::uint8_t> garbage(shape_.garbageBytes);
        for (std::uint8_t& byte : garbage)
            byte = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 255)(random_));
        answer.insert(answer.begin(), garbage.begin(), garbage.end());
    }
    if (strikes(FaultKind::Split) && answer.size() > 1)
        outcome.pieces = split(std::move(answer));
    else
        outcome.pieces.push_back({0, std::move(answer)});
    outcome.hold = strikes(FaultKind::Merge);
    return outcome;
}
