#pragma once
// The amount-in-words component: holds an amount, the currency names and the
// letter case, and keeps its wording up to date whenever one of them changes.
// Every refresh emits textoChanged; a label shown on a screen follows it
// through AssociateLabel (ui/ValorPorExtensoLabel.h).

#include "AmountInWords.h"

#include <QObject>

namespace folha {

class TValorPorExtenso : public QObject {
    Q_OBJECT
    Q_PROPERTY(folha::Fixed Valor READ Valor WRITE setValor)
    Q_PROPERTY(QString MoedaNoSingular READ MoedaNoSingular WRITE setMoedaNoSingular)
    Q_PROPERTY(QString MoedaNoPlural READ MoedaNoPlural WRITE setMoedaNoPlural)
    Q_PROPERTY(QString Texto READ Texto NOTIFY textoChanged)

public:
    explicit TValorPorExtenso(QObject* parent = nullptr);

    Fixed Valor() const { return valor_; }
    // The same amount again changes nothing. A negative amount (or one beyond
    // the wording's limit) throws UserError and leaves the component as it was.
    void setValor(Fixed valor);

    QString MoedaNoSingular() const { return singular_; }
    QString MoedaNoPlural() const { return plural_; }
    // A name equal to the current one in any letter case changes nothing.
    void setMoedaNoSingular(const QString& name);
    void setMoedaNoPlural(const QString& name);

    TTipoTexto TipoDoTexto() const { return tipo_; }
    void setTipoDoTexto(TTipoTexto tipo);

    // MIL (the default) or UM MIL for a thousand of one.
    TEscritaMil EscritaDoMil() const { return mil_; }
    void setEscritaDoMil(TEscritaMil mil);

    QString Texto() const { return texto_; }

signals:
    void textoChanged(const QString& texto);

private:
    void refresh();

    Fixed valor_;
    QString singular_ = QStringLiteral("REAL");
    QString plural_ = QStringLiteral("REAIS");
    TTipoTexto tipo_ = TTipoTexto::ttMaiuscula;
    TEscritaMil mil_ = TEscritaMil::emMil;
    QString texto_;
};

} // namespace folha
