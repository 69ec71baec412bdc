#pragma once
// How the boxes of the forms read what is typed: a code typed short is
// completed with zeros when the box is left ("10" -> "000010"), and a date
// box takes a date typed whole ("30042013" or "30/04/2013") from wherever the
// cursor was, never mixing it with the date the box held.

class QLineEdit;

namespace folha::ui {

// The box's digits completed to `width` when it is left or Enter is pressed.
void CompleteCodeOnLeave(QLineEdit* box, int width);

// A date box (mask 99/99/9999): the first digit typed after the box gets the
// focus starts a new date at the first position; later digits follow on
// after the ones already typed.
void TypeDatesWhole(QLineEdit* box);

} // namespace folha::ui
