#pragma once
// The main menu's bar as one table: every entry in display order with the
// screen it opens and how.

#include <QList>
#include <QString>
#include <QStringList>

namespace folha {

struct MenuEntry {
    enum class Mode { NonModal, Modal, None };
    QStringList menus;   // the menu and submenus, outermost first
    QString caption;     // the entry itself
    QString screenClass; // empty: the entry ends the program
    Mode mode = Mode::NonModal;

    QString path() const; // "Relatórios > Cadastro > Bancos"
};

const QList<MenuEntry>& MenuEntries();
// Whether the entry's screen can be opened (its factory is in the catalog).
bool IsBuilt(const MenuEntry& entry);
// The listing of --list-screens: one line per entry, tab separated: menu
// path, screen class ("-" when none), mode, and "pronta" or "a construir".
QStringList ScreenListing();
// The captions of one menu level with "&" before a mnemonic each, no
// letter twice: the first letter of a word where it can be, else another
// letter or digit of the caption, moving a sibling to its next choice when
// that frees one for everybody. A caption left without a free letter goes
// back unmarked.
QStringList WithMnemonics(const QStringList& captions);

} // namespace folha
