#pragma once
// The seams through which the program reaches outside its own process.
// Each has a real implementation (platform/real_platform.cpp) and the tests
// hand in recording fakes instead.

#include <QByteArray>
#include <QString>
#include <optional>

class QWidget;

namespace plat {

// Pacing of the door animations: a plain sleep and a counted wait whose
// passes each cost a fixed real time. Neither processes window events.
class Pacing {
public:
    virtual ~Pacing() = default;
    virtual void sleep(int milliseconds) = 0;
    // No wait when passes < 1.
    virtual void wait(int passes) = 0;
};

// The open-file dialog. Returns the chosen full path, or nothing on cancel.
class FileDialog {
public:
    virtual ~FileDialog() = default;
    virtual std::optional<QString> openFile(QWidget *parent, const QString &nameFilter,
                                            const QString &initialPath) = 0;
};

enum class AlertIcon { Information, Warning, Critical };

// Modal message boxes with a single OK button.
class Alerts {
public:
    virtual ~Alerts() = default;
    virtual void show(QWidget *parent, AlertIcon icon, const QString &title,
                      const QString &text) = 0;
};

// Hands an address to the desktop's default opener.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void open(const QString &address) = 0;
};

// Sound output for complete RIFF WAVE images. A new play stops the sound
// that is playing. Every failure is silent.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Plays the image; with waitForEnd the call returns when the sound has ended.
    virtual void play(const QByteArray &wave, bool waitForEnd) = 0;
    virtual void stop() = 0;
};

// The running program: its own file and how it ends.
class Process {
public:
    virtual ~Process() = default;
    virtual QString executablePath() const = 0;
    // Ends the process at once; the real one never returns.
    virtual void exit(int code) = 0;
};

// What the window system lets the program do with its top-level windows.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // False where a program can neither place its windows, learn where they
    // stand, nor keep one above the others (a native Wayland session).
    virtual bool canPlaceWindows() const = 0;
};

// Everything a window needs from the outside world, handed to Form1.
struct Platform {
    Pacing *pacing = nullptr;
    FileDialog *fileDialog = nullptr;
    Alerts *alerts = nullptr;
    Shell *shell = nullptr;
    SoundOutput *sound = nullptr;
    Process *process = nullptr;
    WindowSystem *windowSystem = nullptr;

    // The real implementations, created on first use and kept for the
    // program's life.
    static Platform &real();
};

// The running program's model number: its file name without directory and
// without the last extension.
QString modelNumber(const Process &process);
// Folder that holds the running program.
QString programFolder(const Process &process);

} // namespace plat
