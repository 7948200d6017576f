#include <gtest/gtest.h>

#include "platform/audio.h"
#include "support/test_audio.h"
#include "support/test_pictures.h"

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// The layer on SDL's silent "dummy" driver, with one steady sample file.
class AudioTest : public ::testing::Test {
protected:
  AudioTest() {
    ChooseAudioDriver("dummy");
    WriteSteadyWav(Wav, 1000, 1000);
  }
  ~AudioTest() override { AudioFree(); }

  TTempDir Dir;
  std::string Wav = Dir.Path() + "/tone.wav";
};
} // namespace

TEST(AudioVersionTest, ReportsTwoPointFourUnlessATestSaysOtherwise) {
  EXPECT_EQ(AudioGetVersion() >> 16, 0x0204u);
  SetAudioVersionOverride(0x01020304);
  EXPECT_EQ(AudioGetVersion(), 0x01020304u);
  SetAudioVersionOverride(std::nullopt);
  EXPECT_EQ(AudioGetVersion(), AudioLayerVersion);
}

TEST(AudioPanLawTest, EachSideIsAtFullLevelUpToTheMiddleThenFades) {
  struct TCase {
    float Pan, Left, Right;
  } Cases[] = {
      {-1.0f, 1.0f, 0.0f}, {-0.9f, 1.0f, 0.1f}, {-0.45f, 1.0f, 0.55f}, {0.0f, 1.0f, 1.0f},
      {0.5f, 0.5f, 1.0f},  {1.0f, 0.0f, 1.0f},  {1.5f, 0.0f, 1.0f},    {-7.0f, 1.0f, 0.0f},
  };
  for (const TCase& Case : Cases) {
    const TAudioGains Gains = AudioPanGains(Case.Pan);
    EXPECT_NEAR(Gains.Left, Case.Left, 1e-6) << "pan " << Case.Pan;
    EXPECT_NEAR(Gains.Right, Case.Right, 1e-6) << "pan " << Case.Pan;
  }
}

TEST_F(AudioTest, NothingWorksBeforeTheOutputIsSetUp) {
  EXPECT_EQ(AudioSampleLoad(Wav, 3), 0u);
  EXPECT_EQ(AudioErrorGetCode(), aeNotInitialised);
  EXPECT_EQ(AudioSampleGetChannel(1), 0u);
  EXPECT_EQ(AudioErrorGetCode(), aeNotInitialised);
  EXPECT_FALSE(AudioChannelPlay(1));
  EXPECT_EQ(AudioErrorGetCode(), aeNotInitialised);
  EXPECT_FALSE(AudioFree());
  EXPECT_EQ(AudioErrorGetCode(), aeNotInitialised);
}

TEST_F(AudioTest, TheOutputIsSetUpOnceOnTheDefaultDevice) {
  EXPECT_FALSE(AudioInit(3, 44100));
  EXPECT_EQ(AudioErrorGetCode(), aeBadDevice);
  EXPECT_FALSE(AudioInit(AudioDefaultDevice, 0));
  EXPECT_EQ(AudioErrorGetCode(), aeBadDevice);
  ASSERT_TRUE(AudioInit(AudioDefaultDevice, 44100));
  EXPECT_EQ(AudioErrorGetCode(), aeOk);
  EXPECT_FALSE(AudioInit(AudioDefaultDevice, 44100));
  EXPECT_EQ(AudioErrorGetCode(), aeAlreadyInitialised);
  // Freed, it can be set up again.
  EXPECT_TRUE(AudioFree());
  EXPECT_TRUE(AudioInit(AudioDefaultDevice, 44100));
}

TEST_F(AudioTest, CtrlCAndTerminationStillEndTheGame) {
  ASSERT_TRUE(AudioInit(AudioDefaultDevice, 44100));
  for (int Signal : {SIGINT, SIGTERM}) {
    struct sigaction Action {};
    ASSERT_EQ(sigaction(Signal, nullptr, &Action), 0);
    EXPECT_EQ(Action.sa_handler, SIG_DFL) << "signal " << Signal;
  }
}

TEST_F(AudioTest, WithoutADriverTheOutputCannotBeSetUp) {
  ChooseAudioDriver("no-such-driver");
  EXPECT_FALSE(AudioInit(AudioDefaultDevice, 44100));
  EXPECT_EQ(AudioErrorGetCode(), aeNoDriver);
}

TEST_F(AudioTest, EachWayASampleCanFailToLoadHasItsCode) {
  ASSERT_TRUE(AudioInit(AudioDefaultDevice, 44100));
  std::filesystem::create_directories(Dir.Path() + "/folder.wav");
  std::ofstream(Dir.Path() + "/text.wav") << "RIFF and nothing else";
  const std::string HeaderOnly("RIFF\x24\0\0\0WAVEfmt ", 16);
  std::ofstream(Dir.Path() + "/header.wav", std::ios::binary) << HeaderOnly;
  struct TCase {
    std::string Path;
    std::uint32_t MaxPlaybacks;
    std::int32_t Code;
  } Cases[] = {
      {Dir.Path() + "/missing.wav", 3, aeFileNotFound},
      {Dir.Path() + "/folder.wav", 3, aeFileOpen},
      {Dir.Path() + "/text.wav", 3, aeNotWav},
      {Dir.Path() + "/header.wav", 3, aeNotWav}, // a WAV header with no sound after it
      {Wav, 0, aeBadValue},
  };
  for (const TCase& Case : Cases) {
    EXPECT_EQ(AudioSampleLoad(Case.Path, Case.MaxPlaybacks), 0u) << Case.Path;
    EXPECT_EQ(AudioErrorGetCode(), Case.Code) << Case.Path;
  }
  EXPECT_NE(AudioSampleLoad(Wav, 3), 0u);
  EXPECT_EQ(AudioErrorGetCode(), aeOk);
}

TEST_F(AudioTest, ASoundFileLargerThanTheLimitIsRefusedUnread) {
  ASSERT_TRUE(AudioInit(AudioDefaultDevice, 44100));
  // A WAV file of silence of Size bytes in all; the silence takes no room on the disk.
  const auto WriteWav = [this](const std::string& Name, std::int64_t Size) {
    const std::string Path = Dir.Path() + "/" + Name;
    const auto Le32 = [](std::uint32_t V) { return std::string{char(V), char(V >> 8), char(V >> 16), char(V >> 24)}; };
    std::ofstream(Path, std::ios::binary) << "RIFF" << Le32(static_cast<std::uint32_t>(Size - 8)) << "WAVEfmt "
                                          << Le32(16) << std::string("\1\0\2\0", 4) << Le32(44100) << Le32(44100 * 4)
                                          << std::string("\4\0\x10\0", 4) << "data"
                                          << Le32(static_cast<std::uint32_t>(Size - 44));
    std::filesystem::resize_file(Path, static_cast<std::uintmax_t>(Size));
    return Path;
  };
  EXPECT_NE(AudioSampleLoad(WriteWav("at-the-limit.wav", AudioMaxFileBytes), 3), 0u);
  EXPECT_EQ(AudioErrorGetCode(), aeOk);
  EXPECT_EQ(AudioSampleLoad(WriteWav("200mb.wav", 200 << 20), 3), 0u);
  EXPECT_EQ(AudioErrorGetCode(), aeFileTooLarge);
}

TEST_F(AudioTest, AFourthPlaybackTakesOverTheOneStartedFirst) {
  ASSERT_TRUE(AudioInit(AudioDefaultDevice, 44100));
  const std::uint32_t Sample = AudioSampleLoad(Wav, 3);
  ASSERT_NE(Sample, 0u);
  std::uint32_t Playbacks[3];
  for (std::uint32_t& Playback : Playbacks) {
    Playback = AudioSampleGetChannel(Sample);
    ASSERT_NE(Playback, 0u);
    ASSERT_TRUE(AudioChannelPlay(Playback));
  }
  // All three started within the same millisecond; the first is still the oldest.
  const std::uint32_t Fourth = AudioSampleGetChannel(Sample);
  ASSERT_NE(Fourth, 0u);
  EXPECT_FALSE(AudioChannelPlay(Playbacks[0]));
  EXPECT_EQ(AudioErrorGetCode(), aeBadHandle);
  EXPECT_TRUE(AudioChannelSetAttribute(Playbacks[1], TAudioAttribute::Pan, 0.5f));
  EXPECT_TRUE(AudioChannelSetAttribute(Playbacks[2], TAudioAttribute::Volume, 0.5f));
  EXPECT_TRUE(AudioChannelPlay(Fourth));
  // Then the second is the oldest.
  ASSERT_NE(AudioSampleGetChannel(Sample), 0u);
  EXPECT_FALSE(AudioChannelPlay(Playbacks[1]));
  EXPECT_TRUE(AudioChannelPlay(Playbacks[2]));
}

TEST_F(AudioTest, BadHandlesAndValuesAreRefused) {
  ASSERT_TRUE(AudioInit(AudioDefaultDevice, 44100));
  const std::uint32_t Sample = AudioSampleLoad(Wav, 1);
  ASSERT_NE(Sample, 0u);
  EXPECT_EQ(AudioSampleGetChannel(Sample + 1), 0u);
  EXPECT_EQ(AudioErrorGetCode(), aeBadHandle);
  const std::uint32_t Playback = AudioSampleGetChannel(Sample);
  ASSERT_NE(Playback, 0u);
  EXPECT_FALSE(AudioChannelSetAttribute(Playback, TAudioAttribute::Pan, std::nanf("")));
  EXPECT_EQ(AudioErrorGetCode(), aeBadValue);
  EXPECT_FALSE(AudioChannelSetAttribute(Playback + 1, TAudioAttribute::Volume, 1.0f));
  EXPECT_EQ(AudioErrorGetCode(), aeBadHandle);
  EXPECT_FALSE(AudioChannelPlay(0));
  EXPECT_EQ(AudioErrorGetCode(), aeBadHandle);
  // After the device is freed, its handles are gone with it.
  ASSERT_TRUE(AudioFree());
  ASSERT_TRUE(AudioInit(AudioDefaultDevice, 44100));
  EXPECT_EQ(AudioSampleGetChannel(Sample), 0u);
  EXPECT_EQ(AudioErrorGetCode(), aeBadHandle);
}

TEST_F(AudioTest, TheOutputRestsAfterASilenceAndWakesForTheNextPlayback) {
  SetAudioRestOverride(100);
  ASSERT_TRUE(AudioInit(AudioDefaultDevice, 44100));
  const std::uint32_t Sample = AudioSampleLoad(Wav, 3);
  ASSERT_NE(Sample, 0u);
  EXPECT_TRUE(WaitUntil([] { return !AudioOutputOpen(); }, std::chrono::seconds(3))) << "never rested";

  const std::uint32_t Channel = AudioSampleGetChannel(Sample);
  ASSERT_NE(Channel, 0u) << AudioErrorGetCode();
  EXPECT_TRUE(AudioOutputOpen());
  EXPECT_TRUE(AudioChannelSetAttribute(Channel, TAudioAttribute::Pan, -1.0f));
  ASSERT_TRUE(AudioChannelPlay(Channel));
  // The tone lasts a second: while it plays the output stays open.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_TRUE(AudioOutputOpen());
  EXPECT_TRUE(WaitUntil([] { return !AudioOutputOpen(); }, std::chrono::seconds(3))) << "never rested after the tone";
  SetAudioRestOverride(std::nullopt);
}

TEST(AudioRestTest, AToneAfterARestIsHeardWholeAndAtOnce) {
  TTempDir Dir;
  const std::string Wav = Dir.Path() + "/tone.wav";
  WriteSteadyWav(Wav, 1000, 100);
  TDiskOutput Output(Dir.Path() + "/out.raw");
  SetAudioRestOverride(100);
  ASSERT_TRUE(AudioInit(AudioDefaultDevice, 44100));
  const std::uint32_t Sample = AudioSampleLoad(Wav, 3);
  ASSERT_TRUE(WaitUntil([] { return !AudioOutputOpen(); }, std::chrono::seconds(3)));

  const std::uint32_t Channel = AudioSampleGetChannel(Sample);
  ASSERT_TRUE(AudioChannelSetAttribute(Channel, TAudioAttribute::Pan, 1.0f));
  ASSERT_TRUE(AudioChannelPlay(Channel));
  ASSERT_TRUE(Output.WaitForSounds(1));
  const TSoundHeard Heard = Output.FinishedSounds()[0];
  // The disk driver writes its file anew when the output opens again: the tone starts within its first block.
  EXPECT_LE(Heard.First, 1024u);
  EXPECT_EQ(Heard.Count, 4410u);
  EXPECT_EQ(Heard.Level, (TStereo{0, 1000}));
  SetAudioRestOverride(std::nullopt);
  AudioFree();
}

namespace {
// A sound server of the test's own, with one silent sink whose monitor
// gives back what the game sent it, reached through a private runtime folder.
class TSoundServer {
public:
  TSoundServer() {
    setenv("XDG_RUNTIME_DIR", (Dir.Path() + "/run").c_str(), 1);
    setenv("HOME", Dir.Path().c_str(), 1);
    std::filesystem::create_directories(Dir.Path() + "/run");
    std::filesystem::permissions(Dir.Path() + "/run", std::filesystem::perms::owner_all);
    unsetenv("SDL_AUDIODRIVER"); // the game's own choice: the server
    Start();
  }
  ~TSoundServer() {
    Continue();
    if (Pid > 0) {
      kill(Pid, SIGTERM);
      waitpid(Pid, nullptr, 0);
    }
    unsetenv("XDG_RUNTIME_DIR");
  }
  TSoundServer(const TSoundServer&) = delete;
  TSoundServer& operator=(const TSoundServer&) = delete;

  bool Up = false;
  const std::string& Folder() const { return Dir.Path(); }

  // Starts the server, again after Kill; Up says whether it answers.
  void Start() {
    Pid = fork();
    if (Pid == 0) {
      // Its remarks on running as root, without D-Bus and the like are no concern of the test.
      const int Quiet = open("/dev/null", O_WRONLY);
      dup2(Quiet, STDOUT_FILENO);
      dup2(Quiet, STDERR_FILENO);
      execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--log-target=stderr",
             "--load=module-null-sink sink_name=speakers", "--load=module-native-protocol-unix", nullptr);
      _exit(127);
    }
    Up = Pid > 0 && WaitUntil([] { return Ask("pactl info >/dev/null 2>&1 && echo up") == "up\n"; },
                              std::chrono::seconds(10));
  }
  // The server dies at once, without a word to its clients.
  void Kill() {
    kill(Pid, SIGKILL);
    waitpid(Pid, nullptr, 0);
    Pid = -1;
    Up = false;
  }
  // The server hangs: its socket still takes connections, and nothing answers.
  void Stop() {
    kill(Pid, SIGSTOP);
    Stopped = true;
  }
  void Continue() {
    if (Stopped && Pid > 0)
      kill(Pid, SIGCONT);
    Stopped = false;
  }

  // What a command of the server's tools prints.
  static std::string Ask(const std::string& Command) {
    std::string Said;
    if (FILE* Out = popen(Command.c_str(), "r")) {
      char Buffer[256];
      while (std::fgets(Buffer, sizeof Buffer, Out) != nullptr)
        Said += Buffer;
      pclose(Out);
    }
    return Said;
  }

private:
  TTempDir Dir;
  pid_t Pid = -1;
  bool Stopped = false;
};

// What the server's speakers play, recorded from their monitor for as long
// as this lives, from when the server has taken the recording on.
class TSpeakers {
public:
  explicit TSpeakers(const TSoundServer& Server) : File(Server.Folder() + "/speakers.raw") {
    Pid = fork();
    if (Pid == 0) {
      execlp("parec", "parec", "--device=speakers.monitor", "--raw", "--format=s16le", "--channels=2", "--rate=44100",
             "--latency-msec=20", File.c_str(), nullptr);
      _exit(127);
    }
    Recording = Pid > 0 && WaitUntil([] { return TSoundServer::Ask("pactl list source-outputs short") != ""; },
                                     std::chrono::seconds(10));
  }
  ~TSpeakers() {
    if (Pid > 0) {
      kill(Pid, SIGINT);
      waitpid(Pid, nullptr, 0);
    }
  }
  TSpeakers(const TSpeakers&) = delete;
  TSpeakers& operator=(const TSpeakers&) = delete;

  bool Recording = false;

  // The frames heard so far at Level on each side, give or take the mix's rounding.
  std::size_t FramesAt(TStereo Level) const {
    std::ifstream In(File, std::ios::binary);
    std::size_t Count = 0;
    std::int16_t Frame[2];
    while (In.read(reinterpret_cast<char*>(Frame), sizeof Frame))
      if (std::abs(Frame[0] - Level.Left) <= 2 && std::abs(Frame[1] - Level.Right) <= 2)
        ++Count;
    return Count;
  }

private:
  std::string File;
  pid_t Pid = -1;
};

// Plays Sample once at Pan; false when the layer refuses.
bool Cue(std::uint32_t Sample, float Pan) {
  const std::uint32_t Channel = AudioSampleGetChannel(Sample);
  return Channel != 0 && AudioChannelSetAttribute(Channel, TAudioAttribute::Pan, Pan) && AudioChannelPlay(Channel);
}

// 300 ms of a steady tone, 13,230 frames, is heard when at least half of
// it is: a server that goes on after a stop catches up on the lost time in
// one burst, and its recording may lose some of what was mixed then.
constexpr std::uint32_t CueMs = 300;
constexpr std::size_t CueHeard = 13230 / 2;
} // namespace

// The game talks to the sound server itself: a tone played on the left
// reaches the speakers' monitor at its level, on the left only, whole, from a
// stream that was paused for the silence before it; silent for a while, the
// game's stream goes and the server can sleep.
TEST(AudioServerTest, AToneReachesTheSoundServerAndTheStreamGoesWhenSilent) {
  TSoundServer Server;
  if (!Server.Up)
    GTEST_SKIP() << "no PulseAudio server can be started here";
  const std::string Wav = Server.Folder() + "/tone.wav";
  WriteSteadyWav(Wav, 1000, 300);
  SetAudioRestOverride(5000);
  ASSERT_TRUE(AudioInit(AudioDefaultDevice, 44100));
  EXPECT_NE(TSoundServer::Ask("pactl list sink-inputs short"), "") << "the game's stream is open";
  const std::uint32_t Sample = AudioSampleLoad(Wav, 3);
  ASSERT_NE(Sample, 0u);

  // What the speakers play, recorded while the tone plays. The silent sink
  // runs far ahead while nothing plays, and needs a moment to come back.
  const std::string Heard = Server.Folder() + "/heard.raw";
  const pid_t Recorder = fork();
  if (Recorder == 0) {
    execlp("parec", "parec", "--device=speakers.monitor", "--raw", "--format=s16le", "--channels=2", "--rate=44100",
           Heard.c_str(), nullptr);
    _exit(127);
  }
  ASSERT_GT(Recorder, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  // Silent that long, the stream is paused but stays; the tone wakes it.
  EXPECT_TRUE(WaitUntil([] { return TSoundServer::Ask("pactl list sink-inputs | grep -c 'Corked: yes'") == "1\n"; },
                        std::chrono::seconds(3)));
  const std::uint32_t Channel = AudioSampleGetChannel(Sample);
  ASSERT_NE(Channel, 0u);
  ASSERT_TRUE(AudioChannelSetAttribute(Channel, TAudioAttribute::Pan, -1.0f));
  ASSERT_TRUE(AudioChannelPlay(Channel));
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  kill(Recorder, SIGINT);
  waitpid(Recorder, nullptr, 0);

  std::ifstream In(Heard, std::ios::binary);
  std::size_t Loud = 0, Stray = 0;
  std::int16_t Frame[2];
  while (In.read(reinterpret_cast<char*>(Frame), sizeof Frame)) {
    if (std::abs(Frame[0] - 1000) <= 2 && Frame[1] == 0)
      ++Loud;
    else if (Frame[0] != 0 || Frame[1] != 0)
      ++Stray;
  }
  // 300 ms of tone is 13,230 frames.
  EXPECT_NEAR(static_cast<double>(Loud), 13230.0, 100.0) << std::filesystem::file_size(Heard) << " bytes heard";
  EXPECT_LT(Stray, 10u);

  SetAudioRestOverride(300);
  EXPECT_TRUE(WaitUntil([] { return !AudioOutputOpen(); }, std::chrono::seconds(3))) << "never rested";
  EXPECT_EQ(TSoundServer::Ask("pactl list sink-inputs short"), "") << "the stream stays";
  // The next cue opens it again.
  ASSERT_NE(AudioSampleGetChannel(Sample), 0u);
  EXPECT_NE(TSoundServer::Ask("pactl list sink-inputs short"), "");
  SetAudioRestOverride(std::nullopt);
  AudioFree();
}

// The server dies while a long sound plays: the game sees its output gone and
// drops what played; once the server is back, the very next cue opens a
// stream again and is heard, and the lost sound does not come back with it.
TEST(AudioServerTest, AfterTheServerDiesAndComesBackTheNextCueIsHeard) {
  TSoundServer Server;
  if (!Server.Up)
    GTEST_SKIP() << "no PulseAudio server can be started here";
  WriteSteadyWav(Server.Folder() + "/long.wav", 1000, 5000);
  WriteSteadyWav(Server.Folder() + "/cue.wav", 2000, CueMs);
  ASSERT_TRUE(AudioInit(AudioDefaultDevice, 44100));
  const std::uint32_t Long = AudioSampleLoad(Server.Folder() + "/long.wav", 1);
  const std::uint32_t Short = AudioSampleLoad(Server.Folder() + "/cue.wav", 1);
  ASSERT_NE(Long, 0u);
  ASSERT_NE(Short, 0u);
  ASSERT_TRUE(Cue(Long, -1.0f));
  ASSERT_TRUE(WaitUntil([] { return TSoundServer::Ask("pactl list sink-inputs | grep -c 'Corked: no'") == "1\n"; },
                        std::chrono::seconds(5)));

  Server.Kill();
  EXPECT_TRUE(WaitUntil([] { return !AudioOutputOpen(); }, std::chrono::seconds(5)))
      << "the output stays open on a server that is gone";
  Server.Start();
  ASSERT_TRUE(Server.Up);
  TSpeakers Speakers(Server);
  ASSERT_TRUE(Speakers.Recording);

  ASSERT_TRUE(Cue(Short, 1.0f)) << AudioErrorGetCode();
  EXPECT_TRUE(WaitUntil([&] { return Speakers.FramesAt({0, 2000}) >= CueHeard; }, std::chrono::seconds(10)))
      << Speakers.FramesAt({0, 2000}) << " frames of the cue heard";
  EXPECT_EQ(Speakers.FramesAt({1000, 0}), 0u) << "the sound cut off by the server's end goes on";
  AudioFree();
}

// The server hangs while the output rests. The cues of a busy yard go on
// without waiting for it: each call is back while the server is still
// stopped, with the output opening, and one opening waits for the server, not
// one for each cue. When the server goes on, the cue held for that opening is
// heard, and so is a later one.
TEST(AudioServerTest, AStoppedServerHoldsUpNoCueAndIsHeardWhenItGoesOn) {
  TSoundServer Server;
  if (!Server.Up)
    GTEST_SKIP() << "no PulseAudio server can be started here";
  WriteSteadyWav(Server.Folder() + "/held.wav", 1000, CueMs);
  WriteSteadyWav(Server.Folder() + "/later.wav", 2000, CueMs);
  SetAudioRestOverride(100);
  // However long this test is held up, the opening waits as long as the server.
  SetAudioOpenLimitOverride(600000);
  ASSERT_TRUE(AudioInit(AudioDefaultDevice, 44100));
  const std::uint32_t Held = AudioSampleLoad(Server.Folder() + "/held.wav", 1);
  const std::uint32_t Later = AudioSampleLoad(Server.Folder() + "/later.wav", 1);
  ASSERT_TRUE(WaitUntil([] { return !AudioOutputOpen(); }, std::chrono::seconds(5))) << "never rested";
  SetAudioRestOverride(std::nullopt); // from the next opening on, the output stays for the rest of the test
  TSpeakers Speakers(Server);
  ASSERT_TRUE(Speakers.Recording);

  Server.Stop();
  for (int Step = 0; Step < 20; ++Step)
    ASSERT_TRUE(Cue(Held, -1.0f)) << "cue " << Step << ": " << AudioErrorGetCode();
  EXPECT_TRUE(AudioOutputOpen()) << "the cues waited for the opening to end";
  Server.Continue();

  EXPECT_TRUE(WaitUntil([&] { return Speakers.FramesAt({1000, 0}) >= CueHeard; }, std::chrono::seconds(10)))
      << Speakers.FramesAt({1000, 0}) << " frames of the held cue heard";
  EXPECT_EQ(TSoundServer::Ask("pactl list clients | grep -c 'application.name = \"Clankora!\"'"), "1\n");
  ASSERT_TRUE(Cue(Later, 1.0f)) << AudioErrorGetCode();
  EXPECT_TRUE(WaitUntil([&] { return Speakers.FramesAt({0, 2000}) >= CueHeard; }, std::chrono::seconds(10)))
      << Speakers.FramesAt({0, 2000}) << " frames of the later cue heard";
  AudioFree();
  SetAudioOpenLimitOverride(std::nullopt);
}

// An opening the server does not answer in time is given up: the output
// closes, the cue that waited for it is dropped, never to be heard late, and
// once the server answers again a later cue opens the output and is heard.
TEST(AudioServerTest, AnOpeningNotAnsweredInTimeDropsItsCueAndALaterCueTriesAgain) {
  TSoundServer Server;
  if (!Server.Up)
    GTEST_SKIP() << "no PulseAudio server can be started here";
  WriteSteadyWav(Server.Folder() + "/dropped.wav", 1000, CueMs);
  WriteSteadyWav(Server.Folder() + "/later.wav", 2000, CueMs);
  SetAudioRestOverride(100);
  SetAudioOpenLimitOverride(200);
  ASSERT_TRUE(AudioInit(AudioDefaultDevice, 44100));
  const std::uint32_t Dropped = AudioSampleLoad(Server.Folder() + "/dropped.wav", 1);
  const std::uint32_t Later = AudioSampleLoad(Server.Folder() + "/later.wav", 1);
  ASSERT_TRUE(WaitUntil([] { return !AudioOutputOpen(); }, std::chrono::seconds(5))) << "never rested";
  TSpeakers Speakers(Server);
  ASSERT_TRUE(Speakers.Recording);

  Server.Stop();
  ASSERT_TRUE(Cue(Dropped, -1.0f)) << AudioErrorGetCode();
  EXPECT_TRUE(WaitUntil([] { return !AudioOutputOpen(); }, std::chrono::seconds(5))) << "the opening never gave up";
  Server.Continue();

  // Right after a failed opening the cues are refused for a moment; one gets through.
  EXPECT_TRUE(WaitUntil([&] { return Cue(Later, 1.0f); }, std::chrono::seconds(5))) << AudioErrorGetCode();
  EXPECT_TRUE(WaitUntil([&] { return Speakers.FramesAt({0, 2000}) >= CueHeard; }, std::chrono::seconds(10)))
      << Speakers.FramesAt({0, 2000}) << " frames of the later cue heard";
  EXPECT_EQ(Speakers.FramesAt({1000, 0}), 0u) << "the dropped cue was heard late";
  AudioFree();
  SetAudioOpenLimitOverride(std::nullopt);
  SetAudioRestOverride(std::nullopt);
}

// A server that hangs before the game starts: setting up, playing and
// freeing the output all come back while it is still stopped.
TEST(AudioServerTest, AStoppedServerHoldsUpNeitherTheStartNorTheEnd) {
  TSoundServer Server;
  if (!Server.Up)
    GTEST_SKIP() << "no PulseAudio server can be started here";
  const std::string Wav = Server.Folder() + "/tone.wav";
  WriteSteadyWav(Wav, 1000, CueMs);
  SetAudioOpenLimitOverride(600000);
  Server.Stop();
  ASSERT_TRUE(AudioInit(AudioDefaultDevice, 44100)) << AudioErrorGetCode();
  const std::uint32_t Sample = AudioSampleLoad(Wav, 1);
  ASSERT_NE(Sample, 0u);
  EXPECT_TRUE(Cue(Sample, 0.0f)) << AudioErrorGetCode();
  EXPECT_TRUE(AudioOutputOpen());
  EXPECT_TRUE(AudioFree());
  EXPECT_FALSE(AudioOutputOpen());
  Server.Continue();
  SetAudioOpenLimitOverride(std::nullopt);
}
