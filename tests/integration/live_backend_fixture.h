// What the JACK and PulseAudio back-end tests share: a private server of
// their own, the pedals in the chain at their defaults and switched off,
// full volume, the back end installed and the audio thread running. The
// stream is opened by each test through Opened(), which says the back end's
// reason and shows the server's log when it fails.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "audio/audio_settings.h"
#include "audio/effect_chain.h"
#include "audio/processing_pass.h"
#include "audio/stream.h"
#include "effects/pedalboard.h"
#include "platform/audio/audio_health.h"
#include "platform/audio/live_audio.h"
#include "platform/audio/output_volume.h"

namespace ampliro::test {

template <typename Server, typename Backend>
class LiveBackendFixture : public ::testing::Test {
  protected:
    // Call first from the test's SetUp; latency setting and rate index as
    // the Configuration screen would store them.
    void StartChain(int32_t latency, int32_t rateIndex) {
        ASSERT_TRUE(server.Start()) << server.Log();
        SetChainEffects(board.AllByKey());
        RestoreDefaultOrder();
        SetOutputVolume(0xFFFFFFFFu);
        MuteInput = 0;
        SetLatencySetting(latency);
        ApplySampleRate(rateIndex);
        SetAudioBackend(&backend);
        ASSERT_EQ(StartAudioThread(&ProcessingPass), 0);
        StreamHealth().Reset();
    }
    void TearDown() override {
        StopAudioStream();
        SetAudioBackend(nullptr);
    }

    ::testing::AssertionResult Opened() {
        const int32_t result = OpenAudioStream();
        if (result == kStreamOk) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "OpenAudioStream() = " << result << ": "
                                             << backend.LastError() << "\nserver log:\n"
                                             << server.Log();
    }

    Server server;
    Pedalboard board;
    Backend backend;
};

}  // namespace ampliro::test
