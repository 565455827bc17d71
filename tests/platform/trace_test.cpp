// The timing trace: one event a line whatever its text, and never written through a link.
#include "platform/trace.h"
#include "tests/support/temp_dir.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

using namespace qx;

namespace {

// The trace opens its file once per process, at its first event: each case runs in a child of its own.
void traceInChild(const QString& traceFile, const QString& args) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("QUADRANTIX_TRACE", QFile::encodeName(traceFile).constData(), 1);
        traceEvent("alarm", args);
        std::_Exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
}

class TraceTest : public test::TempDirTest {};

TEST_F(TraceTest, AnyTextStaysOnItsEventsLine) {
    const QString trace = file(QStringLiteral("q.trace"));
    traceInChild(trace, QStringLiteral("Sveglia\n123 shown 0\r\\n\x01 fine"));
    const QByteArray written = test::readFile(trace);
    ASSERT_TRUE(written.endsWith('\n'));
    EXPECT_EQ(written.count('\n'), 1) << written.toStdString();
    EXPECT_TRUE(written.endsWith(" alarm Sveglia\\n123 shown 0\\r\\\\n\\x01 fine\n")) << written.toStdString();
    EXPECT_EQ(escapeTraceText(QStringLiteral("caffè 100%")), QByteArray("caff\xc3\xa8 100%")) << "plain text as it is";
}

TEST_F(TraceTest, ALinkIsRefused) {
    const QString target = file(QStringLiteral("a user's file"));
    test::writeFile(target, "keep\n");
    const QString link = file(QStringLiteral("q.trace"));
    ASSERT_TRUE(QFile::link(target, link));
    traceInChild(link, QStringLiteral("x"));
    EXPECT_EQ(test::readFile(target), QByteArray("keep\n"));
}

} // namespace
