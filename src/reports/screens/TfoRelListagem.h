#pragma once
// The screen of a register listing: the order ("Ordem": by code or by
// name) and the print button. One class serves every listing; the table of
// listings gives its caption, table and columns.

#include "Listings.h"

#include <QWidget>

class QLineEdit;
class QRadioButton;
class QPushButton;

namespace folha {

class Session;
class UserInterface;

class TfoRelListagem : public QWidget {
    Q_OBJECT
public:
    TfoRelListagem(Session& session, UserInterface& ui, const ListingDef& def, QWidget* parent = nullptr);

    const ListingDef& listing() const { return def_; }
    ListingOrder order() const;
    void setOrder(ListingOrder order);
    bool nameOrderOffered() const;
    // The code range, for a listing that has one ("Código Inicial", "Código
    // Final"); empty otherwise.
    ListingRange range() const;
    void setRange(const ListingRange& range);
    bool rangeOffered() const { return first_ != nullptr; }

    // "Imprimir": the print set-up, "Confirma Emissao" and the listing to the
    // chosen destination. With `askSetup` false the settings of the run are
    // used as they stand.
    bool print(bool askSetup = true);

    // Adds every listing to the screen catalog under its screen class.
    static void registerScreens(const std::function<void(const QString&, std::function<QWidget*(Session&, UserInterface&, QWidget*)>)>& add);

private:
    Session& session_;
    UserInterface& ui_;
    const ListingDef& def_;
    QRadioButton* byCode_ = nullptr;
    QRadioButton* byName_ = nullptr;
    QLineEdit* first_ = nullptr;
    QLineEdit* last_ = nullptr;
};

} // namespace folha
