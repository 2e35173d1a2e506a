#include "faults.h"

#include <gtest/gtest.h>
#include <numeric>

#include "answer_frames.h"

namespace {

Frame sampleAnswer() {
    const std::uint8_t payload[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    return readAnswer(1, payload);
}

std::vector<std::uint8_t> concatenated(const std::vector<Piece>& pieces) {
    std::vector<std::uint8_t> all;
    for (const Piece& piece : pieces)
        all.insert(all.end(), piece.bytes.begin(), piece.bytes.end());
    return all;
}

TEST(FaultRuleText, ParsesProbabilitiesAndCounts) {
    EXPECT_EQ(parseFaultRule("0.25").probability, 0.25);
    EXPECT_EQ(parseFaultRule("1").probability, 1);
    EXPECT_EQ(parseFaultRule("next:3").nextAnswers, 3u);
    EXPECT_EQ(parseFaultRule("next:3").probability, 0);
    for (const char* bad : {"", "1.5", "-0.1", "next:", "next:x", "next:-1", "0.5x", "nan"})
        EXPECT_THROW(parseFaultRule(bad), std::invalid_argument) << bad;
}

TEST(FaultRuleText, NamesRoundTrip) {
    for (std::size_t kind = 0; kind < FaultKindCount; ++kind)
        EXPECT_EQ(faultKindFromName(faultName(FaultKind(kind))), FaultKind(kind));
    EXPECT_THROW(faultKindFromName("lose"), std::invalid_argument);
}

TEST(FaultInjector, WithoutRulesAnAnswerGoesOutWhole) {
    FaultInjector injector(1);
    const FaultOutcome outcome = injector.apply(sampleAnswer());
    ASSERT_EQ(outcome.pieces.size(), 1u);
    EXPECT_EQ(outcome.pieces[0].bytes, sampleAnswer());
    EXPECT_FALSE(outcome.hold);
    EXPECT_FALSE(outcome.vanish);
}

TEST(FaultInjector, NextCountStrikesExactlyThatManyAnswers) {
    FaultInjector injector(1);
    injector.setRule(FaultKind::Drop, {0, 2});
    EXPECT_TRUE(injector.apply(sampleAnswer()).pieces.empty());
    EXPECT_TRUE(injector.apply(sampleAnswer()).pieces.empty());
    EXPECT_EQ(injector.apply(sampleAnswer()).pieces.size(), 1u);
    EXPECT_EQ(injector.struck(FaultKind::Drop), 2u);
}

TEST(FaultInjector, EachFaultShapesTheAnswerAsConfigured) {
    FaultInjector injector(7);
    injector.shape().splitPieces = 3;
    injector.shape().splitPause = 0.2;
    injector.shape().garbageBytes = 4;

    injector.setRule(FaultKind::BadCrc, {0, 1});
    const auto badCrc = injector.apply(sampleAnswer()).pieces.at(0).bytes;
    EXPECT_EQ(badCrc.size(), sampleAnswer().size());
    EXPECT_FALSE(hasValidCrc(badCrc));

    injector.setRule(FaultKind::Split, {0, 1});
    const auto split = injector.apply(sampleAnswer()).pieces;
    ASSERT_EQ(split.size(), 3u);
    EXPECT_EQ(split[0].delay, 0);
    EXPECT_EQ(split[1].delay, 0.2);
    EXPECT_EQ(concatenated(split), sampleAnswer());

    injector.setRule(FaultKind::Garbage, {0, 1});
    const auto garbage = injector.apply(sampleAnswer()).pieces.at(0).bytes;
    ASSERT_EQ(garbage.size(), sampleAnswer().size() + 4);
    EXPECT_TRUE(std::equal(garbage.begin() + 4, garbage.end(), sampleAnswer().begin()));

    injector.setRule(FaultKind::Merge, {0, 1});
    EXPECT_TRUE(injector.apply(sampleAnswer()).hold);

    injector.setRule(FaultKind::Vanish, {0, 1});
    const FaultOutcome vanish = injector.apply(sampleAnswer());
    EXPECT_TRUE(vanish.vanish);
    EXPECT_TRUE(vanish.pieces.empty());
}

TEST(FaultInjector, ProbabilitiesAreDeterministicFromTheSeed) {
    const auto pattern = [](std::uint64_t seed) {
        FaultInjector injector(seed);
        injector.setRule(FaultKind::Drop, {0.3, 0});
        std::vector<bool> dropped;
        for (int k = 0; k < 2000; ++k)
            dropped.push_back(injector.apply(sampleAnswer()).pieces.empty());
        return dropped;
    };
    const auto first = pattern(42);
    EXPECT_EQ(first, pattern(42));
    EXPECT_NE(first, pattern(43));
    const auto drops = std::count(first.begin(), first.end(), true);
    EXPECT_NEAR(double(drops) / double(first.size()), 0.3, 0.05);
}

} // namespace
