// Convert through the vtable, from one thread and from two at once.

#include "ComponentFixture.h"

#include "support/ScopedEnv.h"

#include <atomic>
#include <chrono>
#include <thread>

using componenttest::Component;
using componenttest::PictureJob;

TEST_F(Component, ConvertWritesThePictureAndItsLog) {
    ILogoConverter* converter = Create();
    ASSERT_NE(converter, nullptr);
    testsupport::RecordingPresenter messages;
    PictureJob job;
    const std::string missing = job.in / "missing.txt";
    BSTR in = com::Utf8ToBstr(job.in / "operator_logo.txt" + "," + missing);
    BSTR out = com::Utf8ToBstr(job.out.Folder());
    BSTR app = com::Utf8ToBstr(job.app.Folder());
    EXPECT_EQ(converter->Convert(in, out, app), S_OK);
    EXPECT_EQ(testsupport::ReadFile(job.Output()).size(), 252u);
    const std::string log = testsupport::ReadFile(job.Log());
    EXPECT_NE(log.find(job.in / "operator_logo.txt"), std::string::npos);
    EXPECT_NE(log.find(missing), std::string::npos);
    const std::vector<std::string> texts = messages.Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Error! Input file not found!"), texts.end());
    EXPECT_EQ(texts.back(), "Conversion completed!");

    // A program folder the user cannot write to: the log goes to the state folder.
    testsupport::TempDir state;
    const testsupport::ScopedEnv stateHome("XDG_STATE_HOME", state.Path().string());
    BSTR unwritable = com::Utf8ToBstr(job.app / "missing/");
    EXPECT_EQ(converter->Convert(in, out, unwritable), S_OK);
    EXPECT_NE(testsupport::ReadFile(state / "quillmere/PictureConverter.log")
                  .find(job.in / "operator_logo.txt"),
              std::string::npos);
    EXPECT_EQ(messages.Texts().size(), 2 * texts.size()); // no complaint about the log

    // A second file of the same name, in another folder, does not replace the
    // first one's output: it fails, naming both.
    std::filesystem::create_directory(job.in / "b");
    testsupport::WriteFile(job.in / "b/operator_logo.txt", std::string(252, 'F'));
    const std::string first = testsupport::ReadFile(job.Output());
    BSTR twins = com::Utf8ToBstr(job.in / "operator_logo.txt" + "," + job.in / "b/operator_logo.txt");
    EXPECT_EQ(converter->Convert(twins, out, app), S_OK);
    EXPECT_EQ(testsupport::ReadFile(job.Output()), first);
    EXPECT_EQ(messages.Texts().at(messages.Texts().size() - 2),
              "The file: " + job.Output() + " could not be written: it was written for " +
                  job.in / "operator_logo.txt" + " earlier in this conversion.");
    for (BSTR s : {in, out, app, unwritable, twins})
        SysFreeString(s);
    EXPECT_EQ(converter->Release(), 0u);
}

// The object may be handed to any thread; two conversions at once take turns.
TEST_F(Component, OverlappingConvertCallsTakeTurns) {
    ILogoConverter* converter = Create();
    ASSERT_NE(converter, nullptr);
    static std::atomic<int> inside{0};
    static std::atomic<bool> overlapped{false};
    const QuillmereMessagePresenter previous =
        platform::SetMessagePresenter([](void*, const char*, const char*) {
            if (inside.fetch_add(1) != 0)
                overlapped = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
            inside.fetch_sub(1);
        });
    PictureJob jobs[2];
    const auto run = [&](PictureJob& job) {
        std::string list = job.in / "operator_logo.txt";
        for (int i = 0; i < 6; ++i)
            list.append(",").append(job.in / ("missing" + std::to_string(i)));
        BSTR in = com::Utf8ToBstr(list);
        BSTR out = com::Utf8ToBstr(job.out.Folder());
        BSTR app = com::Utf8ToBstr(job.app.Folder());
        EXPECT_EQ(converter->Convert(in, out, app), S_OK);
        for (BSTR s : {in, out, app})
            SysFreeString(s);
    };
    std::thread first(run, std::ref(jobs[0])), second(run, std::ref(jobs[1]));
    first.join();
    second.join();
    platform::SetMessagePresenter(previous.show, previous.context);
    EXPECT_FALSE(overlapped);
    for (const PictureJob& job : jobs)
        EXPECT_EQ(testsupport::ReadFile(job.Output()).size(), 252u);
    converter->Release();
}
