#pragma once
// The screens the program can open, by class name: the main menu opens them,
// --grab pictures them. A screen becomes available by adding its factory
// here (see ScreenCatalog.cpp).

#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace folha {

class Session;
class UserInterface;

using ScreenFactory = std::function<QWidget*(Session& session, UserInterface& ui, QWidget* parent)>;

class ScreenCatalog {
public:
    // The catalog with every screen of the program.
    static ScreenCatalog& instance();

    void add(const QString& className, ScreenFactory factory);
    bool contains(const QString& className) const { return factories_.contains(className); }
    // Null when the class has no factory.
    QWidget* create(const QString& className, Session& session, UserInterface& ui, QWidget* parent) const;
    QStringList classNames() const { return factories_.keys(); }

private:
    ScreenCatalog();
    QMap<QString, ScreenFactory> factories_;
};

} // namespace folha
