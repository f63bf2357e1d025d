#pragma once
// Qt's message boxes, file dialogs, desktop services and sound output
// (QtAudio.cpp) behind the seams of DesktopSeams.h.

#include "app/DesktopSeams.h"

namespace app {

IMessageBox& QtMessageBoxes();
IFileChooser& QtFileChooser();
IUrlOpener& QtUrlOpener();
IAudioOutput& QtAudioOutput();

} // namespace app
