#pragma once
// What the signboard asks of the window it stands on.

#include <QString>

#include <optional>

class SignboardHost {
public:
    // The picture-file dialog: the chosen full path, or nothing on cancel.
    virtual std::optional<QString> choosePictureFile() = 0;
    // Opens the signboard menu at the mouse pointer and returns when it closes.
    virtual void showSignboardMenu() = 0;

protected:
    ~SignboardHost() = default;
};
