// The Qt side of the desktop seams: the real message box and file choosers,
// answered from inside their own event loops.

#include "app/QtDesktop.h"
#include "DesktopFakes.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <gtest/gtest.h>

using apptest::ModalAnswerer;
using testsupport::TempDir;
using testsupport::WriteFile;

TEST(QtDesktop, MessageBoxHasTheCaptionOneOkButtonAndNoIcon) {
    bool checked = false;
    const ModalAnswerer answerer([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), "EMS Melody Converter");
        EXPECT_EQ(box->text(), "Conversion complete.");
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        // Wide enough for the whole caption, with the title bar's buttons.
        EXPECT_GT(box->width(), box->fontMetrics().horizontalAdvance(box->windowTitle()) + 100);
        // During a busy spell the box has the ordinary pointer.
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
        checked = true;
        box->buttons().front()->click();
    });
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    app::QtMessageBoxes().Show(nullptr, "Conversion complete.", "EMS Melody Converter");
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QGuiApplication::restoreOverrideCursor();
    EXPECT_TRUE(checked);
}

TEST(QtDesktop, OpenChooserReturnsTheSelectedFullPaths) {
    const TempDir folder;
    WriteFile(folder / "a.txt", "a");
    WriteFile(folder / "b.rtx", "b");

    const ModalAnswerer openAnswer([&](QWidget* modal) {
        auto* chooser = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(chooser->nameFilters(), (QStringList{"Texts (*.txt *.rtx)", "All Files (*)"}));
        chooser->setDirectory(QString::fromStdString(folder.Folder()));
        chooser->selectFile(QStringLiteral("\"a.txt\" \"b.rtx\""));
        static_cast<QDialog*>(chooser)->accept(); // QFileDialog::accept, as its Open button does
    });
    const auto opened =
        app::QtFileChooser().ChooseFilesToOpen(nullptr, {"Texts (*.txt *.rtx)", "All Files (*)"});
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(*opened, (std::vector<std::string>{folder / "a.txt", folder / "b.rtx"}));
}

TEST(QtDesktop, SaveChooserProposesTheNameWithOneFilterAndNoOverwriteQuestion) {
    const TempDir folder;
    WriteFile(folder / "a.txt", "exists");
    bool cancel = false;
    const ModalAnswerer answerer([&](QWidget* modal) {
        auto* chooser = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(chooser->nameFilters(), QStringList{"Text Files (*.txt)"});
        EXPECT_TRUE(chooser->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_TRUE(chooser->defaultSuffix().isEmpty());
        EXPECT_TRUE(chooser->selectedFiles().value(0).endsWith("/proposed.txt"));
        if (cancel) {
            chooser->reject();
            return;
        }
        chooser->setDirectory(QString::fromStdString(folder.Folder()));
        chooser->selectFile(QStringLiteral("a.txt"));
        static_cast<QDialog*>(chooser)->accept(); // QFileDialog::accept, as its Open button does
    });
    const auto saved =
        app::QtFileChooser().ChooseFileToSave(nullptr, "proposed.txt", "Text Files", "*.txt");
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(*saved, folder / "a.txt");

    cancel = true;
    EXPECT_FALSE(app::QtFileChooser()
                     .ChooseFileToSave(nullptr, "proposed.txt", "Text Files", "*.txt")
                     .has_value());
}
