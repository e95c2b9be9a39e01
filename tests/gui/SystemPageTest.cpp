// The System page and its five editors, driven through their widgets by object name on the
// offscreen platform. The editors are modal: each test queues what to do once a dialog shows,
// and a dialog left open by a failed step is closed so no test hangs.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <functional>
#include <memory>
#include <string_view>

#include "EditorFixture.h"
#include "model/Project.h"
#include "ui/AssociationDialog.h"
#include "ui/IniDialog.h"
#include "ui/MainWindow.h"
#include "ui/RegisterFileDialog.h"
#include "ui/RegistryDialog.h"
#include "ui/ShortcutDialog.h"
#include "ui/SystemPage.h"

using Button = corvane::ui::MessageService::Button;
using Icon = corvane::ui::MessageService::Icon;

namespace {

QStringList cells(QTreeWidget* list, int row) {
    QStringList out;
    for (int c = 0; c < list->columnCount(); ++c)
        out << list->topLevelItem(row)->text(c);
    return out;
}

}  // namespace

class SystemPageTest : public QObject, corvane::test::EditorFixture {
    Q_OBJECT

private:
    std::unique_ptr<corvane::model::Project> m_project;
    corvane::ui::Services m_services{&m_messages, &m_files, &m_shell};  // the page keeps a reference
    std::unique_ptr<corvane::ui::SystemPage> m_page;
    bool m_dialogLeftOpen = false;
    int m_pending = 0;  // dialogs a test expected that never showed

    void setText(QWidget* dialog, const QString& name, const QString& text) {
        if (auto* edit = dialog->findChild<QLineEdit*>(name)) {
            edit->setText(text);
            return;
        }
        child<QComboBox>(dialog, name)->setEditText(text);
    }
    QString text(QWidget* dialog, const QString& name) {
        if (auto* edit = dialog->findChild<QLineEdit*>(name)) return edit->text();
        return child<QComboBox>(dialog, name)->currentText();
    }
    QTreeWidget* list(const char* name) { return child<QTreeWidget>(m_page.get(), QLatin1String(name)); }
    QPushButton* button(const QString& name) { return child<QPushButton>(m_page.get(), name); }

    // Runs body once the dialog shows modally, then presses its OK (or Cancel when ok is false).
    // It polls rather than firing once, since the key and mouse helpers may run events early.
    void whenShown(QDialog* dialog, std::function<void()> body, bool ok = true) {
        auto* poll = new QTimer(this);
        ++m_pending;
        connect(poll, &QTimer::timeout, this, [this, poll, dialog, body, ok] {
            if (!dialog->isVisible()) return;
            poll->stop();
            poll->deleteLater();
            --m_pending;
            body();
            child<QPushButton>(dialog, ok ? QStringLiteral("OkButton") : QStringLiteral("CancelButton"))
                ->click();
            if (dialog->isVisible()) {
                m_dialogLeftOpen = true;
                dialog->reject();
            }
        });
        poll->start(5);
    }
    void selectRows(QTreeWidget* l, std::initializer_list<int> rows) {
        l->clearSelection();
        for (int r : rows)
            l->topLevelItem(r)->setSelected(true);
    }
    QString programPath(const QString& rest) const {
        return QString::fromStdString(m_program->folder()) + rest;
    }

private slots:
    void init() {
        freshFolders();
        m_project = std::make_unique<corvane::model::Project>(m_program->folder(), "/home/author/Setup.exe");
        m_page = std::make_unique<corvane::ui::SystemPage>(*m_project, m_services,
                                                           [this] { m_project->markModified(); });
        m_page->loadFromProject();
        m_page->resize(800, 600);
        m_page->show();
        m_project->clearModified();
        m_dialogLeftOpen = false;
    }
    void cleanup() {
        const bool leftOpen = m_dialogLeftOpen;
        const int pending = m_pending;
        for (QTimer* t : findChildren<QTimer*>())
            delete t;
        m_pending = 0;
        m_page.reset();
        m_project.reset();
        QLocale::setDefault(QLocale::c());
        QVERIFY2(!leftOpen, "a dialog refused its OK");
        QCOMPARE(pending, 0);
        stopEditor();
    }

    void shortcutFromAnInstalledFile() {
        m_project->files.push_back(
            {"/src/Readme.txt", "3", "<InstallDir>\\Docs\\Readme.txt", "Overwrite", "Yes"});
        m_project->files.push_back({"/src/a.exe", "3", "<InstallDir>\\a.exe", "Overwrite", "Yes"});
        auto* dialog = m_page->shortcutDialog();
        setText(dialog, QStringLiteral("IconFileCombo"), QStringLiteral("typed.ico"));
        m_page->filesChanged();
        auto* target = child<QComboBox>(dialog, QStringLiteral("TargetCombo"));
        QCOMPARE(target->count(), 2);
        QCOMPARE(target->itemText(0), QStringLiteral("<InstallDir>\\Docs\\Readme.txt"));
        QCOMPARE(text(dialog, QStringLiteral("IconFileCombo")), QStringLiteral("typed.ico"));  // kept

        whenShown(dialog, [&] {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Add Shortcut"));
            // Add resets: the typed icon file is gone.
            QCOMPARE(text(dialog, QStringLiteral("IconFileCombo")), QString());
            QCOMPARE(text(dialog, QStringLiteral("DestinationCombo")), QStringLiteral("<ProgramGroup>"));
            target->setCurrentIndex(0);
            QCOMPARE(text(dialog, QStringLiteral("NameEd")), QStringLiteral("Readme"));
            QCOMPARE(text(dialog, QStringLiteral("WorkingDirCombo")), QStringLiteral("<InstallDir>\\Docs"));
            setText(dialog, QStringLiteral("DescriptionEd"), QStringLiteral("Need help?"));
            child<QLineEdit>(child<QWidget>(dialog, QStringLiteral("IconIndexSpin")),
                             QStringLiteral("qt_spinbox_lineedit"))
                ->setText(QStringLiteral("1.5"));
            child<QComboBox>(dialog, QStringLiteral("ShowCombo"))->setCurrentIndex(3);
        });
        button(QStringLiteral("ShortcutAddButton"))->click();
        QCOMPARE(m_project->shortcuts.size(), std::size_t(1));
        QCOMPARE(m_project->shortcuts[0],
                 (corvane::model::ShortcutEntry{"<ProgramGroup>", "Readme", "<InstallDir>\\Docs\\Readme.txt",
                                                "Need help?", "", "<InstallDir>\\Docs", "", "1.5", "Hide"}));
        QCOMPARE(cells(list("ShortcutsList"), 0).at(3), QStringLiteral("Need help?"));
        QVERIFY(m_project->isModified());
    }

    void shortcutTargetWithoutADotNeedsAName() {
        auto* dialog = m_page->shortcutDialog();
        dialog->setAddMode();
        dialog->reset();
        setText(dialog, QStringLiteral("TargetCombo"), QStringLiteral("<InstallDir>\\LICENSE"));
        QCOMPARE(text(dialog, QStringLiteral("NameEd")), QString());
        child<QPushButton>(dialog, QStringLiteral("OkButton"))->click();
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(m_messages.asked.isEmpty());  // no message, only the focus
    }

    void editingRetypedTargetRefills() {
        m_project->shortcuts.push_back(
            {"<Desktop>", "Mine", "<InstallDir>\\a.exe", "", "", "my dir", "", "0", "hide"});
        m_page->loadFromProject();
        auto* dialog = m_page->shortcutDialog();
        child<QComboBox>(dialog, QStringLiteral("ShowCombo"))->setCurrentIndex(1);  // from an earlier use
        selectRows(list("ShortcutsList"), {0});
        whenShown(dialog, [&] {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit Current Item"));
            QCOMPARE(text(dialog, QStringLiteral("NameEd")),
                     QStringLiteral("Mine"));  // the row's, not filled
            QCOMPARE(child<QComboBox>(dialog, QStringLiteral("ShowCombo"))->currentText(),
                     QStringLiteral("Maximize"));
            setText(dialog, QStringLiteral("TargetCombo"), QStringLiteral("<InstallDir>\\b.exe"));
        });
        button(QStringLiteral("ShortcutEditButton"))->click();
        QCOMPARE(m_project->shortcuts[0].name, std::string("b"));
        QCOMPARE(m_project->shortcuts[0].workingDir, std::string("<InstallDir>"));
        QCOMPARE(m_project->shortcuts[0].show, std::string("Maximize"));
    }

    void addAfterEditThenCancel_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("listName");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("addCaption");
        QTest::newRow("shortcut") << "Shortcut"
                                  << "ShortcutsList"
                                  << "NameEd"
                                  << "Add Shortcut";
        QTest::newRow("registry") << "Registry"
                                  << "RegistryList"
                                  << "ValueNameEd"
                                  << "Add Registry Value";
        QTest::newRow("ini") << "Ini"
                             << "IniList"
                             << "KeyEd"
                             << "Add INI Value";
        QTest::newRow("association") << "Association"
                                     << "AssociationsList"
                                     << "AssociatedFileCombo"
                                     << "Add File Association";
        QTest::newRow("dll") << "Dll"
                             << "DllList"
                             << "RegisterFileCombo"
                             << "Register OCX, DLL File";
    }
    void addAfterEditThenCancel() {
        QFETCH(QString, prefix);
        QFETCH(QString, listName);
        QFETCH(QString, field);
        QFETCH(QString, addCaption);
        m_project->shortcuts = {{"<Desktop>", "Row", "<InstallDir>\\a.exe", "", "", "", "", "0", "Normal"}};
        m_project->ini = {{"<InstallDir>\\a.ini", "S", "Row", "v", "No", "No"}};
        m_project->associations = {{"txt", "Row"}};
        m_project->dlls = {{"Row"}};
        m_project->registry[0].valueName = "Row";
        m_page->loadFromProject();
        auto* l = child<QTreeWidget>(m_page.get(), listName);
        const int before = l->topLevelItemCount();
        selectRows(l, {0});
        QDialog* dialog = nullptr;
        for (QDialog* d : m_page->findChildren<QDialog*>())
            if (d->findChild<QWidget*>(field)) dialog = d;
        QVERIFY(dialog);
        whenShown(
            dialog, [] {}, false);
        button(prefix + QStringLiteral("EditButton"))->click();
        whenShown(dialog, [&] {
            QCOMPARE(dialog->windowTitle(), addCaption);
            // The shortcut editor starts afresh; the others show the row that was edited.
            if (prefix == QStringLiteral("Shortcut")) {
                QCOMPARE(text(dialog, field), QString());
                QCOMPARE(text(dialog, QStringLiteral("DestinationCombo")), QStringLiteral("<ProgramGroup>"));
                setText(dialog, QStringLiteral("TargetCombo"), QStringLiteral("x.exe"));
            } else {
                QCOMPARE(text(dialog, field), QStringLiteral("Row"));
            }
        });
        button(prefix + QStringLiteral("AddButton"))->click();
        QCOMPARE(l->topLevelItemCount(), before + 1);
        if (prefix != QStringLiteral("Shortcut")) QCOMPARE(cells(l, before), cells(l, 0));  // a copy
    }

    void threeSelectedRows() {
        for (const char* name : {"a", "b", "c", "d", "e"})
            m_project->dlls.push_back({name});
        m_page->loadFromProject();
        auto* l = list("DllList");
        selectRows(l, {3, 1, 4});
        whenShown(m_page->registerFileDialog(), [&] {
            QCOMPARE(text(m_page->registerFileDialog(), QStringLiteral("RegisterFileCombo")),
                     QStringLiteral("b"));
            setText(m_page->registerFileDialog(), QStringLiteral("RegisterFileCombo"), QStringLiteral("B"));
        });
        button(QStringLiteral("DllEditButton"))->click();
        QCOMPARE(m_project->dlls,
                 (std::vector<corvane::model::RegisterFileEntry>{{"a"}, {"B"}, {"c"}, {"d"}, {"e"}}));

        m_messages.answers = {Button::No};
        button(QStringLiteral("DllRemoveButton"))->click();
        QCOMPARE(m_project->dlls.size(), std::size_t(5));
        m_messages.answers = {Button::Yes};
        m_project->clearModified();
        button(QStringLiteral("DllRemoveButton"))->click();
        QCOMPARE(m_messages.asked.size(), 2);
        QCOMPARE(m_messages.asked[1].icon, Icon::Question);
        QCOMPARE(m_messages.asked[1].caption, QStringLiteral("Corvane"));
        QCOMPARE(m_messages.asked[1].text,
                 QStringLiteral("Are you sure you want to delete the selected items?"));
        QCOMPARE(m_project->dlls, (std::vector<corvane::model::RegisterFileEntry>{{"a"}, {"c"}}));
        QCOMPARE(l->topLevelItemCount(), 2);
        QVERIFY(m_project->isModified());
    }

    void keysAndDoubleClick() {
        m_project->ini = {{"a.ini", "S", "K", "v", "Yes", "Yes"}, {"b.ini", "S", "K", "v", "Yes", "Yes"}};
        m_page->loadFromProject();
        auto* l = list("IniList");
        QVERIFY(m_page->selectTab(QStringLiteral("INI Files")));
        QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
        l->setFocus();
        // Nothing selected: Enter, Delete and a double click on empty space do nothing.
        QTest::keyClick(l, Qt::Key_Return);
        QTest::keyClick(l, Qt::Key_Delete);
        QTest::mouseDClick(l->viewport(), Qt::LeftButton, {}, QPoint(5, l->viewport()->height() - 5));
        QVERIFY(m_messages.asked.isEmpty());

        selectRows(l, {1});
        whenShown(m_page->iniDialog(),
                  [&] { setText(m_page->iniDialog(), QStringLiteral("KeyEd"), QStringLiteral("K2")); });
        QTest::keyClick(l, Qt::Key_Return);
        QCOMPARE(m_project->ini[1].key, std::string("K2"));

        whenShown(m_page->iniDialog(),
                  [&] { setText(m_page->iniDialog(), QStringLiteral("KeyEd"), QStringLiteral("K1")); });
        const QRect first = l->visualItemRect(l->topLevelItem(0));
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, first.center());
        QTest::mouseDClick(l->viewport(), Qt::LeftButton, {}, first.center());
        QCOMPARE(m_project->ini[0].key, std::string("K1"));

        m_messages.answers = {Button::Yes};
        QTest::keyClick(l, Qt::Key_Delete);
        QCOMPARE(m_project->ini.size(), std::size_t(1));
        QCOMPARE(m_project->ini[0].iniFile, std::string("b.ini"));
    }

    void selectionAndProgramGroupMarkModified() {
        m_project->dlls = {{"a"}};
        m_page->loadFromProject();
        m_project->clearModified();
        selectRows(list("DllList"), {0});
        QVERIFY(m_project->isModified());
        m_project->clearModified();
        auto* group = child<QLineEdit>(m_page.get(), QStringLiteral("ProgramGroupEd"));
        QCOMPARE(group->text(), QStringLiteral("<AppName>"));
        QTest::keyClick(group, Qt::Key_X);
        QTest::keyClick(group, Qt::Key_Backspace);
        QCOMPARE(m_project->settings.programGroup, std::string("<AppName>"));
        QVERIFY(m_project->isModified());
        child<QCheckBox>(m_page.get(), QStringLiteral("AllUsersMenuCheck"))->click();
        QVERIFY(m_project->settings.allUsersMenu);
    }

    // A fixed list takes only a cell of its exact text; a flag is read as Setup.exe reads it, so a
    // hand-edited "yes" shows ticked and stays Yes.
    void fixedListsTakeExactCellsAndFlagsReadAsTheSetupReadsThem() {
        m_project->registry = {{"HKEY_LOCAL_MACHINE", "S", "N", "string", "x", "yes", " NO "}};
        m_project->ini = {{"a.ini", "S", "K", "v", "yes", "Yes"}};
        m_page->loadFromProject();
        selectRows(list("RegistryList"), {0});
        whenShown(m_page->registryDialog(), [&] {
            QCOMPARE(child<QComboBox>(m_page->registryDialog(), QStringLiteral("TypeCombo"))->currentText(),
                     QStringLiteral("Dword"));
            QVERIFY(
                child<QCheckBox>(m_page->registryDialog(), QStringLiteral("OverwriteCheck"))->isChecked());
            QVERIFY(
                !child<QCheckBox>(m_page->registryDialog(), QStringLiteral("UninstallCheck"))->isChecked());
            setText(m_page->registryDialog(), QStringLiteral("ValueDataCombo"), QStringLiteral("7"));
        });
        button(QStringLiteral("RegistryEditButton"))->click();
        QCOMPARE(m_project->registry[0],
                 (corvane::model::RegistryEntry{"HKEY_LOCAL_MACHINE", "S", "N", "Dword", "7", "Yes", "No"}));
        selectRows(list("IniList"), {0});
        whenShown(m_page->iniDialog(), [] {});
        button(QStringLiteral("IniEditButton"))->click();
        QCOMPARE(m_project->ini[0].overwrite, std::string("Yes"));
    }

    void anUnknownRootKeyIsKept() {
        const std::string longSubkey = "Software\\Brennic Example Software\\Corvane Demo\\Settings\\Window";
        m_project->registry = {{"HKLM", longSubkey, "N", "String", "x", "Yes", "Yes"}};
        m_page->loadFromProject();
        selectRows(list("RegistryList"), {0});
        whenShown(m_page->registryDialog(), [this] {
            // A path longer than its field opens showing its beginning.
            QCOMPARE(child<QLineEdit>(m_page->registryDialog(), QStringLiteral("SubkeyEd"))->cursorPosition(),
                     0);
        });
        button(QStringLiteral("RegistryEditButton"))->click();
        QCOMPARE(m_project->registry[0].rootKey, std::string("HKLM"));
    }

    void dwordCheck_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("data");
        QTest::addColumn<bool>("passes");
        for (const auto& [name, separator] : {std::pair{"C", "."}, std::pair{"de_DE", ","}}) {
            auto row = [&](const char* data, bool passes) {
                QTest::addRow("%s %s", name, data)
                    << QString::fromLatin1(name) << QString::fromLatin1(data) << passes;
            };
            row("16", true);
            row(qPrintable(QStringLiteral("1%15").arg(QLatin1String(separator))), true);
            row("-3", true);
            row("2E3", true);
            row("0x10", false);
            row("16h", false);
            row(qPrintable(QStringLiteral("1%1000").arg(
                    QLatin1String(std::string_view(separator) == "," ? "." : ","))),
                false);
            row("", false);
        }
    }
    void dwordCheck() {
        QFETCH(QString, locale);
        QFETCH(QString, data);
        QFETCH(bool, passes);
        QLocale::setDefault(QLocale(locale));
        auto* dialog = m_page->registryDialog();
        dialog->setAddMode();
        child<QComboBox>(dialog, QStringLiteral("TypeCombo"))->setCurrentIndex(1);
        setText(dialog, QStringLiteral("ValueDataCombo"), data);
        dialog->setResult(QDialog::Rejected);
        child<QPushButton>(dialog, QStringLiteral("OkButton"))->click();
        QCOMPARE(dialog->result() == QDialog::Accepted, passes);
        if (!passes) {
            QCOMPARE(m_messages.asked.size(), 1);
            QCOMPARE(m_messages.asked[0].icon, Icon::Error);
            QCOMPARE(m_messages.asked[0].caption, QString());
            QCOMPARE(m_messages.asked[0].text, QStringLiteral("Incorrect value data."));
            QCOMPARE(dialog->entry().valueData, data.toStdString());  // nothing changed the text
        }
        // As String any text passes.
        child<QComboBox>(dialog, QStringLiteral("TypeCombo"))->setCurrentIndex(0);
        child<QPushButton>(dialog, QStringLiteral("OkButton"))->click();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
    }

    void extensionCheck() {
        auto* dialog = m_page->associationDialog();
        auto ok = [&](const QString& ext, const QString& file) {
            setText(dialog, QStringLiteral("ExtensionEd"), ext);
            setText(dialog, QStringLiteral("AssociatedFileCombo"), file);
            dialog->setResult(QDialog::Rejected);
            child<QPushButton>(dialog, QStringLiteral("OkButton"))->click();
            return dialog->result() == QDialog::Accepted;
        };
        QCOMPARE(text(dialog, QStringLiteral("ExtensionEd")), QStringLiteral("zan"));
        QVERIFY(!ok(QString(), QString()));
        QVERIFY(m_messages.asked.isEmpty());  // the file is asked for first, silently
        QVERIFY(!ok(QStringLiteral(".txt"), QStringLiteral("a.exe")));
        QCOMPARE(m_messages.asked.last().text, QStringLiteral("Incorrect extension."));
        QVERIFY(ok(QStringLiteral("tar.gz"), QStringLiteral("a.exe")));
        QVERIFY(ok(QStringLiteral("txt"), QStringLiteral(" ")));  // one blank is content
        QCOMPARE(dialog->entry().associatedFile, std::string(" "));
    }

    void iniRequiresFileSectionAndKey() {
        auto* dialog = m_page->iniDialog();
        dialog->show();
        auto ok = [&] {
            dialog->setResult(QDialog::Rejected);
            child<QPushButton>(dialog, QStringLiteral("OkButton"))->click();
            return dialog->result() == QDialog::Accepted;
        };
        QVERIFY(!ok());
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        auto* file = child<QWidget>(dialog, QStringLiteral("IniFileCombo"));
        QTRY_VERIFY(file->hasFocus() || file->isAncestorOf(QApplication::focusWidget()));
        setText(dialog, QStringLiteral("IniFileCombo"), QStringLiteral("a.ini"));
        setText(dialog, QStringLiteral("SectionEd"), QStringLiteral(" "));
        QVERIFY(!ok());
        setText(dialog, QStringLiteral("KeyEd"), QStringLiteral("K"));
        QVERIFY(ok());
        QCOMPARE(dialog->entry(), (corvane::model::IniEntry{"a.ini", " ", "K", "", "Yes", "Yes"}));
        QVERIFY(m_messages.asked.isEmpty());
        dialog->hide();
    }

    void keyboardOrderAndEnter() {
        auto* dialog = m_page->iniDialog();
        dialog->show();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        auto* section = child<QLineEdit>(dialog, QStringLiteral("SectionEd"));
        section->setFocus();
        QTest::keyClick(section, Qt::Key_Return);  // no default button: Enter does not confirm
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QTest::keyClick(section, Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), child<QWidget>(dialog, QStringLiteral("KeyEd")));
        child<QWidget>(dialog, QStringLiteral("UninstallCheck"))->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), child<QWidget>(dialog, QStringLiteral("OkButton")));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), child<QWidget>(dialog, QStringLiteral("CancelButton")));
        dialog->hide();
    }

    void questionMarksOnlyInTheFreeField_data() {
        QTest::addColumn<QString>("dialogName");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("fieldName");
        QTest::newRow("parameters") << "TForm8"
                                    << "ParametersEd"
                                    << "Parameters";
        QTest::newRow("subkey") << "TForm9"
                                << "SubkeyEd"
                                << "Subkey";
        QTest::newRow("section") << "TForm11"
                                 << "SectionEd"
                                 << "Section";
        QTest::newRow("extension") << "TForm10"
                                   << "ExtensionEd"
                                   << "File Extension";
    }
    void questionMarksOnlyInTheFreeField() {
        QFETCH(QString, dialogName);
        QFETCH(QString, field);
        QFETCH(QString, fieldName);
        auto* dialog = child<corvane::ui::SystemEditorDialog>(m_page.get(), dialogName);
        QVERIFY(dialog != nullptr);
        // Fill what is required, with the free field holding "?" and "=".
        for (const char* name :
             {"TargetCombo", "NameEd", "IniFileCombo", "SectionEd", "KeyEd", "AssociatedFileCombo"})
            if (dialog->findChild<QWidget*>(QLatin1String(name)))
                setText(dialog, QLatin1String(name), QStringLiteral("x.y"));
        for (const char* name : {"DescriptionEd", "ValueDataCombo", "ValueCombo"})
            if (dialog->findChild<QWidget*>(QLatin1String(name)))
                setText(dialog, QLatin1String(name), QStringLiteral("https://example.com/?a=b"));
        if (dialogName == QStringLiteral("TForm10"))
            setText(dialog, field, QStringLiteral("t?t"));
        else
            setText(dialog, field, QStringLiteral("a?b"));
        dialog->setResult(QDialog::Rejected);
        child<QPushButton>(dialog, QStringLiteral("OkButton"))->click();
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QCOMPARE(m_messages.asked.size(), 1);
        QCOMPARE(m_messages.asked[0].icon, Icon::Warning);
        QVERIFY2(m_messages.asked[0].text.startsWith(QLatin1Char('"') + fieldName +
                                                     QStringLiteral("\" cannot hold")),
                 qPrintable(m_messages.asked[0].text));
        setText(dialog, field,
                dialogName == QStringLiteral("TForm10") ? QStringLiteral("txt") : QStringLiteral("a=b"));
        child<QPushButton>(dialog, QStringLiteral("OkButton"))->click();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
    }

    // F9 with a row the setup could not read: the System page shows the list, nothing is built.
    void buildRefusesAnUncarriedQuestionMark() {
        for (const char* name : {"English.lng"})
            corvane::test::writeFile(*m_program / "Languages" / name, "");
        corvane::test::writeFile(*m_program / "Wizard_0.bmp", "BM");
        corvane::test::writeFile(*m_program / "Header_0.bmp", "BM");
        corvane::test::TempDir work;
        QSettings settings(QString::fromStdString((work / "Corvane.conf").string()), QSettings::IniFormat);
        corvane::ui::TForm1 window(
            m_services,
            corvane::ui::EditorFolders{m_program->folder(), (work / "Setup.exe").string(), work.folder()},
            settings);
        window.show();
        window.start({});
        corvane::model::Project& p = window.project();
        p.setLanguageSelected(0, true);
        p.rebuildDocumentLists();
        p.files.push_back({"/src/a.exe", "1", "<InstallDir>\\a.exe", "Overwrite", "Yes"});
        p.shortcuts.push_back(
            {"<Desktop>", "A", "<InstallDir>\\a.exe", "Help?", "/?", "", "", "0", "Normal"});
        window.showPage(1);
        window.createSetup();
        QCOMPARE(m_messages.asked.size(), 1);
        QCOMPARE(m_messages.asked[0].icon, Icon::Error);
        QCOMPARE(m_messages.asked[0].text,
                 QStringLiteral(
                     "Shortcuts row 1: \"Parameters\" holds \"?\", which only \"Description\" may hold; the "
                     "setup could not read this row."));
        QCOMPARE(child<QStackedWidget>(&window, QStringLiteral("PageArea"))->currentWidget()->objectName(),
                 QStringLiteral("PageSystem"));
        auto* system = child<QTabWidget>(&window, QStringLiteral("PageSystem"));
        QCOMPARE(system->tabText(system->currentIndex()), QStringLiteral("Shortcuts"));
        QVERIFY(!std::filesystem::exists(work / "Setup.exe"));
        p.clearModified();
    }

    void helpOpensTheKindsTopic_data() {
        QTest::addColumn<QString>("dialogName");
        QTest::addColumn<QString>("topic");
        QTest::newRow("shortcuts") << "TForm8"
                                   << "help/Project Settings/System/1.htm";
        QTest::newRow("registry") << "TForm9"
                                  << "help/Project Settings/System/2.htm";
        QTest::newRow("ini") << "TForm11"
                             << "help/Project Settings/System/3.htm";
        QTest::newRow("associations") << "TForm10"
                                      << "help/Project Settings/System/4.htm";
        QTest::newRow("dll") << "TForm12"
                             << "help/Project Settings/System/5.htm";
    }
    void helpOpensTheKindsTopic() {
        QFETCH(QString, dialogName);
        QFETCH(QString, topic);
        corvane::test::writeFile(*m_program / topic.toStdString(), "<html></html>");
        auto* dialog = child<QDialog>(m_page.get(), dialogName);
        dialog->show();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        child<QPushButton>(dialog, QStringLiteral("HelpButton"))->click();
        QTest::keyClick(dialog, Qt::Key_F1);
        const QString opened = QStringLiteral("max:") + programPath(topic);
        QCOMPARE(m_shell.opened, QStringList({opened, opened}));
        QVERIFY(dialog->isVisible());  // Help leaves the dialog open
        QVERIFY(m_messages.asked.isEmpty());
        dialog->hide();
    }
};

QTEST_MAIN(SystemPageTest)
#include "SystemPageTest.moc"
