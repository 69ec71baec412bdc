#include "ValorPorExtensoLabel.h"

#include <QLabel>
#include <gtest/gtest.h>

namespace folha {
namespace {

TEST(ValorPorExtensoLabel, FollowsTheComponentUntilDestroyed) {
    TValorPorExtenso c;
    c.setValor(*Fixed::parse("2"));
    auto* first = new QLabel("antes");
    AssociateLabel(c, first);
    EXPECT_EQ(first->text(), "DOIS REAIS");  // at once
    EXPECT_EQ(AssociatedLabel(c), first);

    c.setValor(*Fixed::parse("0.5"));
    EXPECT_EQ(first->text(), "CINQUENTA CENTAVOS DE REAL");

    // A new label replaces the old one, which keeps its last text.
    QLabel second;
    AssociateLabel(c, &second);
    c.setValor(*Fixed::parse("1"));
    EXPECT_EQ(second.text(), "UM REAL");
    EXPECT_EQ(first->text(), "CINQUENTA CENTAVOS DE REAL");

    AssociateLabel(c, first);
    delete first;
    EXPECT_EQ(AssociatedLabel(c), nullptr);
    c.setValor(*Fixed::parse("3"));  // must not touch the destroyed label
    EXPECT_EQ(c.Texto(), QString::fromUtf8("TRÊS REAIS"));
    EXPECT_EQ(second.text(), "UM REAL");

    AssociateLabel(c, nullptr);
    EXPECT_EQ(AssociatedLabel(c), nullptr);
}

} // namespace
} // namespace folha
