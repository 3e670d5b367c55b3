#pragma once
// Recording fakes for the platform seams, shared by the widget tests.

#include "platform/platform.h"

#include <QCoreApplication>
#include <QList>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <optional>

class FakePacing final : public plat::Pacing {
public:
    QList<int> sleeps;
    QList<int> waits;
    // Runs inside every wait, so a test can act in the middle of a door run.
    std::function<void(int passIndex)> onWait;

    void sleep(int milliseconds) override { sleeps.append(milliseconds); }
    void wait(int passes) override
    {
        waits.append(passes);
        if (onWait)
            onWait(int(waits.size()) - 1);
    }
};

class FakeFileDialog final : public plat::FileDialog {
public:
    struct Call {
        QString filter;
        QString initialPath;
    };
    QList<Call> calls;
    // Answers in order; nullopt is a cancel. When empty, cancels.
    std::deque<std::optional<QString>> answers;

    std::optional<QString> openFile(QWidget *, const QString &filter, const QString &path) override
    {
        calls.append({filter, path});
        std::optional<QString> answer;
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
        return answer;
    }
};

class FakeAlerts final : public plat::Alerts {
public:
    struct Call {
        plat::AlertIcon icon;
        QString title;
        QString text;
    };
    QList<Call> calls;
    void show(QWidget *, plat::AlertIcon icon, const QString &title, const QString &text) override
    {
        calls.append({icon, title, text});
    }
};

class FakeShell final : public plat::Shell {
public:
    QStringList opened;
    void open(const QString &address) override { opened.append(address); }
};

class FakeSound final : public plat::SoundOutput {
public:
    struct Call {
        QByteArray wave;
        bool waitForEnd;
    };
    QList<Call> plays;
    int stops = 0;
    void play(const QByteArray &wave, bool waitForEnd) override { plays.append({wave, waitForEnd}); }
    void stop() override { ++stops; }
};

class FakeProcess final : public plat::Process {
public:
    // A fresh program folder of its own, so settings written by one test
    // never reach another.
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("TT04K0007"));
    QList<int> exits;
    std::function<void()> onExit;

    QString executablePath() const override { return path; }
    void exit(int code) override
    {
        exits.append(code);
        if (onExit)
            onExit();
    }
};

class FakeWindowSystem final : public plat::WindowSystem {
public:
    // False plays a native Wayland session.
    bool placesWindows = true;
    bool canPlaceWindows() const override { return placesWindows; }
};

// One fake of every seam, wired into a Platform.
struct FakePlatform {
    FakePlatform() { QStandardPaths::setTestModeEnabled(true); }

    FakePacing pacing;
    FakeFileDialog fileDialog;
    FakeAlerts alerts;
    FakeShell shell;
    FakeSound sound;
    FakeProcess process;
    FakeWindowSystem windowSystem;
    plat::Platform platform{&pacing, &fileDialog, &alerts, &shell, &sound, &process,
                            &windowSystem};
};
