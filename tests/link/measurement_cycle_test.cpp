#include <QProgressBar>

#include <cstring>

#include "link/port_discovery.h"
#include "link/traced_simulator.h"
#include "shell/console_fixture.h"
#include "shell/frame_options.h"

namespace {

const std::string MeasurementRead = "read 1 100 1074";

// The console connected to a simulated instrument on its USB port (port 7), idle once the
// start-up reads have been answered.
class MeasurementCycleTest : public ConsoleFixture {
protected:
    void connect(SimulatorOptions options = {}) {
        instrument = std::make_unique<TracedSimulator>(std::move(options));
        writeSettings("[Devices]\nCOM7=" + instrument->simulator->consolePath() +
                      "\nCOM7_ID=" + std::string(SimulatedUsbIdentity) + "\n[CommPort]\nPort=7\n");
        TForm1& form = start();
        ASSERT_TRUE(form.Comm1.PortOpen());
        ASSERT_TRUE(runUntil([&] { return form.Instrument_SetData.MODEL == 20; }));
        instrument->forget();
        lastTestTime_ = form.Sampling_Data.TestTime;
    }
    // Connects to an instrument running ten times faster and asks for `samples` per channel
    // at 800 samples per second, as the record page's start does.
    TForm1& startRecording(std::uint32_t samples) {
        SimulatorOptions options;
        options.timeScale = 10;
        connect(options);
        TForm1& form = *console;
        form.Record_Length = samples;
        form.Record_RUN = 1;
        form.Link.ReadInstrumentRecdorCommand(1, 5000, 16, samples, 4, 3);
        return form;
    }
    // Measurement answers decoded so far, told apart by their time stamps.
    void countDecodes() {
        if (console->Sampling_Data.TestTime != lastTestTime_) {
            lastTestTime_ = console->Sampling_Data.TestTime;
            ++decoded;
        }
    }

    std::unique_ptr<TracedSimulator> instrument;
    int decoded = 0;

private:
    double lastTestTime_ = 0;
};

TEST_F(MeasurementCycleTest, ASingleMeasurementReadsOnceAndRestoresTheButtons) {
    connect();
    TForm1& form = *console;
    form.ui.sSpeedButton6->click();
    EXPECT_FALSE(form.ui.sSpeedButton6->isEnabled());
    EXPECT_TRUE(form.ui.sSpeedButton8->isEnabled());
    ASSERT_TRUE(runUntil([&] { return form.ui.sSpeedButton6->isEnabled(); }));
    runFor(400);
    EXPECT_EQ(instrument->count(MeasurementRead), 1u);
    EXPECT_NEAR(form.Sampling_Data.U_rms, 220, 0.5);
    EXPECT_TRUE(form.ui.sSpeedButton4->isEnabled());
    EXPECT_TRUE(form.ui.sSpeedButton8->isEnabled());
    EXPECT_EQ(form.statusText(3), form.dString[14]);
    EXPECT_FALSE(form.ReReadTimer.Enabled());
    EXPECT_TRUE(form.statusText(2).startsWith("Test Time: "));
}

TEST_F(MeasurementCycleTest, ContinuousMeasurementRunsUntilStop) {
    connect();
    TForm1& form = *console;
    form.ui.sSpeedButton4->click();
    ASSERT_TRUE(runUntil([&] { return instrument->count(MeasurementRead) >= 3; }));
    form.ui.sSpeedButton8->click();
    const std::size_t readsAtStop = instrument->count(MeasurementRead);
    runFor(700);
    EXPECT_EQ(instrument->count(MeasurementRead), readsAtStop);
    EXPECT_TRUE(form.ui.sSpeedButton4->isEnabled());
    EXPECT_TRUE(form.ui.sSpeedButton6->isEnabled());
    EXPECT_FALSE(form.ui.sSpeedButton8->isEnabled());
}

TEST_F(MeasurementCycleTest, AnIdleLinkSendsAnIntegrationCommandAtOnce) {
    connect();
    TForm1& form = *console;
    form.ui.sSpeedButton6->click();
    ASSERT_TRUE(runUntil([&] { return form.ui.sSpeedButton6->isEnabled(); }));
    instrument->forget();
    form.ui.sSpeedButton9->click();
    EXPECT_TRUE(runUntil([&] { return !instrument->requests().empty(); }));
    EXPECT_EQ(instrument->requests(), std::vector<std::string>{"write 1 136 01 00"});
    EXPECT_TRUE(runUntil([&] {
        return instrument->simulator->withInstrument([](Instrument& i) { return i.integrating(); });
    }));
}

TEST_F(MeasurementCycleTest, CommandsDuringContinuousMeasurementGoStopStartClear) {
    connect();
    TForm1& form = *console;
    form.ui.sSpeedButton4->click();
    form.ui.sSpeedButton7->click();
    form.ui.sSpeedButton9->click();
    form.ui.sSpeedButton23->click();
    ASSERT_TRUE(runUntil([&] { return instrument->requests().size() >= 5; }));
    const auto requests = instrument->requests();
    EXPECT_EQ(std::vector<std::string>(requests.begin(), requests.begin() + 5),
              (std::vector<std::string>{MeasurementRead, "write 1 36 02 00", "write 1 36 01 00",
                                        "write 1 36 03 00", MeasurementRead}));
    form.ui.sSpeedButton8->click();
}

TEST_F(MeasurementCycleTest, ALostAnswerIsReadAgainByTheWatchdog) {
    connect();
    instrument->simulator->setFault(FaultKind::Drop, {0, 1});
    TForm1& form = *console;
    form.ui.sSpeedButton6->click();
    ASSERT_TRUE(runUntil([&] { return form.Sampling_Data.U_rms > 0; }, 4000));
    EXPECT_EQ(instrument->count(MeasurementRead), 2u);
    EXPECT_NEAR(form.Sampling_Data.U_rms, 220, 0.5);
}

TEST_F(MeasurementCycleTest, ADamagedAnswerIsNeverShownAndReadAgainAtOnce) {
    connect();
    instrument->simulator->setFault(FaultKind::BadCrc, {0, 1});
    TForm1& form = *console;
    QElapsedTimer elapsed;
    elapsed.start();
    form.ui.sSpeedButton6->click();
    ASSERT_TRUE(runUntil([&] { return form.ui.sSpeedButton6->isEnabled(); }, 4000));
    EXPECT_LT(elapsed.elapsed(), 1500); // the watchdog was not needed
    EXPECT_EQ(instrument->count(MeasurementRead), 2u);
    EXPECT_NEAR(form.Sampling_Data.U_rms, 220, 0.5);
}

// Every fault at once: only intact measurements reach the screen, and they keep coming.
TEST_F(MeasurementCycleTest, ContinuousMeasurementSurvivesLinkFaults) {
    SimulatorOptions options;
    options.instrument.seed = 11;
    options.faultShape.splitPause = 0.03;
    options.faultShape.mergeHoldLimit = 0.3;
    connect(options);
    const std::pair<FaultKind, double> faults[] = {{FaultKind::Drop, 0.1},
                                                   {FaultKind::BadCrc, 0.05},
                                                   {FaultKind::Split, 0.1},
                                                   {FaultKind::Merge, 0.1},
                                                   {FaultKind::Garbage, 0.05}};
    for (const auto& [kind, probability] : faults)
        instrument->simulator->setFault(kind, {probability, 0});
    TForm1& form = *console;
    form.ui.sSpeedButton4->click();
    QElapsedTimer sinceDecode;
    sinceDecode.start();
    qint64 longestGap = 0;
    QElapsedTimer soak;
    soak.start();
    while (soak.elapsed() < 8000) {
        runFor(20);
        const int before = decoded;
        countDecodes();
        if (decoded != before) {
            longestGap = std::max(longestGap, sinceDecode.restart());
            ASSERT_NEAR(form.Sampling_Data.U_rms, 220, 0.5);
            ASSERT_EQ(form.Sampling_Data.SamplingNumber, 512);
        }
    }
    form.ui.sSpeedButton8->click();
    EXPECT_GE(decoded, 10);
    EXPECT_LT(std::max(longestGap, sinceDecode.elapsed()), 2500);
}

} // namespace

namespace {

// A recording as the record page starts it: header, then packets until the length.
TEST_F(MeasurementCycleTest, RecordingPacketsFillTheRecordUntilItsLength) {
    TForm1& form = startRecording(4096);
    ASSERT_TRUE(runUntil([&] { return form.Record_RUN == 0; }, 3000));
    EXPECT_EQ(form.i_shift, 4096u);
    EXPECT_EQ(form.RecordData->Total_Record_quantity, 4096u);
    EXPECT_EQ(form.RecordInstrumentData.PackNumber, 3u);
    EXPECT_NE(form.RecordData->U1Gene, 0.0f);
    EXPECT_EQ(std::memcmp(form.RecordData->U1_Sampling + 3072,
                          form.RecordInstrumentData.u1_Sampling,
                          sizeof form.RecordInstrumentData.u1_Sampling),
              0);
    EXPECT_EQ(form.statusText(3), "Total Sampling Points: 4096");
    EXPECT_EQ(form.statusText(4), form.hString[15]);
    EXPECT_TRUE(form.ui.sSpeedButton24->isEnabled());
}

TEST_F(MeasurementCycleTest, APacketBeyondTheRecordsCapacityIsDropped) {
    TForm1& form = startRecording(2048);
    ASSERT_TRUE(runUntil([&] { return form.RecordHeader.U1Gene != 0; }, 3000));
    const std::uint32_t nearlyFull = RecordCapacity - PacketSamples + 1;
    form.i_shift = nearlyFull;
    ASSERT_TRUE(runUntil([&] { return form.RecordInstrumentData.PackNumber == 1; }, 3000));
    EXPECT_EQ(form.i_shift, nearlyFull);
    EXPECT_EQ(form.Record_RUN, 1);
}

TEST_F(MeasurementCycleTest, ADamagedPacketStopsTheRecordingBeforeTheMessage) {
    TForm1& form = startRecording(4096);
    ASSERT_TRUE(runUntil([&] { return form.i_shift == 1024; }, 3000));
    instrument->simulator->setFault(FaultKind::BadCrc, {0, 1});
    ASSERT_TRUE(runUntil([&] { return form.Record_RUN == 0; }, 3000));
    EXPECT_LT(form.i_shift, 4096u); // the samples received so far stay
    EXPECT_EQ(dialogs.shown().back().text, "Communication error, please restart!");
    EXPECT_TRUE(runUntil([&] { return instrument->count("record 1 5000 0 0") == 1; }));
    EXPECT_TRUE(form.ui.sSpeedButton24->isEnabled());
    EXPECT_FALSE(form.ui.sSpeedButton8->isEnabled());
}

// With the port closed nothing is sent, but the buttons, flags and timers go on as if.
TEST_F(MeasurementCycleTest, AClosedPortKeepsTheCycleMovingWithoutSending) {
    connect();
    TForm1& form = *console;
    form.Frame_Options->Timer1.SetEnabled(false); // else the USB watchdog reopens the port
    form.Comm1.SetPortOpen(false);
    form.sSpeedButton4Click();
    EXPECT_FALSE(form.ui.sSpeedButton4->isEnabled());
    EXPECT_TRUE(form.ReReadTimer.Enabled());
    EXPECT_TRUE(form.Link.Communication_data.Task_flag[TaskMeasurement]);
    EXPECT_EQ(form.statusText(3), form.dString[20]);
    runFor(2300); // the watchdog fires and the cycle repeats the read, unsent
    EXPECT_FALSE(form.Link.Communication_data.CRC_Equal_flag);
    EXPECT_TRUE(form.ReReadTimer.Enabled());
    EXPECT_EQ(instrument->count(MeasurementRead), 0u);
}

} // namespace
