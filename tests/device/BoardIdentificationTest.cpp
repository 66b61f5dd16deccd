// Identification through the real port code: PosixSerialLink on a pseudo-terminal whose other
// side is the board simulator.
#include "support/PtyRecordingRig.h"

#include <QDir>

#include <gtest/gtest.h>

namespace varnilog {
namespace {

using K = AcquisitionNoticeKind;

using Session = test::PtySession;

TEST(BoardIdentificationTest, EachModelIsIdentifiedAndTakenOver) {
    for (int model = 1; model <= 4; ++model) {
        SCOPED_TRACE(model);
        Session s(BoardOptions{.model = model});
        s.state->deviceModel = 1;
        const StartResult r = s.acq.start();
        EXPECT_EQ(r.status, StartStatus::Sampling);
        EXPECT_EQ(r.modelChanged, model != 1);
        EXPECT_EQ(s.state->deviceModel, model);
        EXPECT_EQ(s.state->modelName, QStringLiteral("KZ%1").arg(model * 100));
        EXPECT_EQ(s.messages, (NoticeKinds{K::PortOpened, K::Sampling}));
        EXPECT_EQ(s.board.identifyCommandsSeen(), 1);
        s.acq.stop();
        EXPECT_EQ(s.messages.back(), K::Stopped);
    }
}

TEST(BoardIdentificationTest, BadRepliesGiveThreeAttemptsThenGiveUp) {
    const NoticeKinds failed{K::PortOpened, K::Retrying, K::Retrying, K::CommunicationFailed};
    for (const Misbehaviour m :
         {Misbehaviour::NoReply, Misbehaviour::ReplyZero, Misbehaviour::TwoBytes, Misbehaviour::ReplyFive}) {
        SCOPED_TRACE(static_cast<int>(m));
        Session s(BoardOptions{.model = 2, .misbehaviour = m});
        const StartResult r = s.acq.start();
        EXPECT_EQ(r.status, StartStatus::NotIdentified);
        EXPECT_EQ(s.messages, failed);
        EXPECT_EQ(s.notices[1].number, 2); // attempts left
        EXPECT_EQ(s.notices[2].number, 1);
        EXPECT_FALSE(s.state->portOpen);
        EXPECT_FALSE(s.link.isOpen());
        EXPECT_EQ(s.state->deviceModel, 1); // the selected model stays
        EXPECT_EQ(s.board.identifyCommandsSeen(), 3);
        EXPECT_TRUE(QDir(s.dir.path()).isEmpty());
    }
}

TEST(BoardIdentificationTest, AnswerAtTheSecondAttemptIsAccepted) {
    Session s(BoardOptions{.model = 3, .misbehaviour = Misbehaviour::SecondAttemptOnly});
    s.state->deviceModel = 1;
    const StartResult r = s.acq.start();
    EXPECT_EQ(r.status, StartStatus::Sampling);
    EXPECT_TRUE(r.modelChanged);
    EXPECT_EQ(s.state->deviceModel, 3);
    EXPECT_EQ(s.messages, (NoticeKinds{K::PortOpened, K::Retrying, K::Sampling}));
    s.acq.stop();
}

TEST(BoardIdentificationTest, PortThatCannotBeOpenedIsNamedWithTheReason) {
    const struct {
        const char* port;
        int reason; // 0: no reason to give
    } rows[] = {
        {"", 0},
        {"   ", 0},
        {"/dev/no-such-port-here", ENOENT},
        {"no-such-tty", ENOENT},
        {"/dev/null", ENOTTY}, // a file that is not a terminal is no port either
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.port);
        Session s(BoardOptions{});
        s.state->comPortName = QString::fromUtf8(r.port);
        const StartResult started = s.acq.start();
        EXPECT_EQ(started.status, StartStatus::PortNotOpened);
        EXPECT_EQ(started.portError, r.reason);
        EXPECT_EQ(s.messages, NoticeKinds{K::PortNotOpened});
        EXPECT_EQ(started.failure.kind, K::PortNotOpened);
        EXPECT_EQ(started.failure.port, QString::fromUtf8(r.port));
        EXPECT_EQ(started.failure.reason, r.reason == 0 ? QString() : qt_error_string(r.reason));
        EXPECT_FALSE(s.state->portOpen);
        EXPECT_FALSE(s.state->samplingActive);
    }
}

TEST(BoardIdentificationTest, PortIsExclusiveAndReusableAfterClose) {
    PtyBoard board(1);
    ASSERT_TRUE(board.start());
    PosixSerialLink first;
    PosixSerialLink second;
    ASSERT_TRUE(first.open(board.slavePath()));
    if (geteuid() != 0) { // the exclusive flag does not bind the super-user
        EXPECT_FALSE(second.open(board.slavePath()));
    }
    EXPECT_TRUE(first.close());
    EXPECT_TRUE(second.open(board.slavePath()));
    EXPECT_TRUE(second.close());
}

} // namespace
} // namespace varnilog
