// The Oracle branch of the apply is not available in this build: it stops
// before anything of it is written.
#include "platform/Exception.h"
#include "wizard/Unit2.h"

void TForm2::ApplyOracle(const TStringList&) {
    throw Exception("Konfiguracja dla serwera Oracle nie jest jeszcze dostępna");
}
