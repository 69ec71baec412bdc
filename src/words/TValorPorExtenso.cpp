#include "TValorPorExtenso.h"

namespace folha {

TValorPorExtenso::TValorPorExtenso(QObject* parent) : QObject(parent) {
    texto_ = AmountInWords(valor_, singular_, plural_, tipo_, mil_);
}

void TValorPorExtenso::refresh() {
    texto_ = AmountInWords(valor_, singular_, plural_, tipo_, mil_);
    emit textoChanged(texto_);
}

void TValorPorExtenso::setValor(Fixed valor) {
    if (valor == valor_) return;
    // The wording is built before anything is stored, so a refused amount
    // leaves the component untouched.
    const QString texto = AmountInWords(valor, singular_, plural_, tipo_, mil_);
    valor_ = valor;
    texto_ = texto;
    emit textoChanged(texto_);
}

void TValorPorExtenso::setMoedaNoSingular(const QString& name) {
    if (name.compare(singular_, Qt::CaseInsensitive) == 0) return;
    singular_ = name;
    refresh();
}

void TValorPorExtenso::setMoedaNoPlural(const QString& name) {
    if (name.compare(plural_, Qt::CaseInsensitive) == 0) return;
    plural_ = name;
    refresh();
}

void TValorPorExtenso::setTipoDoTexto(TTipoTexto tipo) {
    if (tipo == tipo_) return;
    tipo_ = tipo;
    refresh();
}

void TValorPorExtenso::setEscritaDoMil(TEscritaMil mil) {
    if (mil == mil_) return;
    mil_ = mil;
    refresh();
}

} // namespace folha
