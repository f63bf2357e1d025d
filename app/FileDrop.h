#pragma once
// Files and folders dropped from a file manager onto a converter dialog.

#include <QList>
#include <QUrl>
#include <string>

class QDialog;
class QLineEdit;

namespace app {

// Where on the dialog the drop landed.
enum class DropZone { InputField, OutputField, Elsewhere };

// What a drop asks for.
struct DropResult {
    enum Kind { Nothing, InputList, OutputFolder, Refused } kind = Nothing;
    std::string text;   // the new input list, the folder (ending in "/") or the message
    std::string notice; // what was left out of the list, said after the drop
};

// The dropped URLs as the dialog takes them: local paths joined by "," as
// the input list (added to currentList when add is set), or one folder,
// dropped anywhere but on the input field, as the output folder. A folder
// that goes into the list brings the files directly inside it, sorted by
// name, rather than itself. A path holding "," is left out with a notice
// (PathRules.h ListablePaths). A URL of anything but a file on this computer
// refuses the whole drop, as does a drop that leaves nothing for the list.
DropResult InterpretDrop(const QList<QUrl>& urls, DropZone zone, bool add,
                         const std::string& currentList);

// Lets files be dropped on the dialog and its two fields (Ctrl adds to the
// list). The fields take the result as if typed; a refusal is shown in a
// message box. Text dragged within a field still works as usual.
void AcceptFileDrops(QDialog* dialog, QLineEdit* inputField, QLineEdit* outputField);

} // namespace app
