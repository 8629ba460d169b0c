#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/codici_errore.h"
#include "prova_comune.h"
#include "reader/lettore.h"

namespace compattatore {
namespace {

std::vector<std::string> righe_di(const std::string& testo) {
    std::vector<std::string> righe;
    std::istringstream in(testo);
    for (std::string r; std::getline(in, r);) righe.push_back(r);
    return righe;
}

// The words of a line of the page, the macro and the quotes and commas between words left out.
std::set<std::string> parole(const std::string& riga) {
    std::set<std::string> p;
    std::string parola;
    for (const char c : riga.substr(riga.find(' ') + 1) + " ") {
        if (c == ' ' || c == '"' || c == ',' || c == '(' || c == ')') {
            if (!parola.empty()) p.insert(parola);
            parola.clear();
        } else {
            parola += c;
        }
    }
    return p;
}

// Each record kind of the reader has its entry in the format's manual page: a heading that
// names it (".B" with the names of one or more kinds, separated by commas), then its fields
// in italics (".I" or ".IR"), up to the end of the entry (".RE").
TEST(Riferimento, DescribesEveryRecordKindAndEveryFieldItReads) {
    const std::vector<std::string> righe = righe_di(prova::leggi(COMPATTATORE_RIFERIMENTO));
    for (const Sezione sezione : {Sezione::generale, Sezione::linea, Sezione::treno}) {
        for (const TipoRecord& tipo : tipi_record(sezione)) {
            const std::string nome(tipo.nome);
            SCOPED_TRACE(nome);
            size_t i = 0;
            for (; i < righe.size(); ++i) {
                if (righe[i].rfind(".B ", 0) != 0) continue;
                std::istringstream voci(righe[i].substr(3));
                bool trovata = false;
                for (std::string voce; std::getline(voci, voce, ',');) {
                    trovata = trovata || voce.substr(voce.find_first_not_of(' ')) == nome;
                }
                if (trovata) break;
            }
            ASSERT_LT(i, righe.size()) << "no entry";
            std::set<std::string> in_corsivo;
            for (++i; i < righe.size() && righe[i] != ".RE"; ++i) {
                if (righe[i].rfind(".I ", 0) == 0 || righe[i].rfind(".IR ", 0) == 0) {
                    const auto p = parole(righe[i]);
                    in_corsivo.insert(p.begin(), p.end());
                }
            }
            for (const std::string_view campo : tipo.campi) {
                EXPECT_EQ(in_corsivo.count(std::string(campo)), 1u) << campo;
            }
        }
    }
}

// Each error code has its entry under ERRORS: a line ".B" with its number.
TEST(Riferimento, DescribesEveryErrorCode) {
    const std::vector<std::string> righe = righe_di(prova::leggi(COMPATTATORE_RIFERIMENTO));
    std::set<std::string> descritti;
    bool errori = false;
    for (const std::string& r : righe) {
        if (r.rfind(".SH ", 0) == 0) errori = r == ".SH ERRORS";
        if (errori && r.rfind(".B ", 0) == 0) {
            const auto p = parole(r);
            descritti.insert(p.begin(), p.end());
        }
    }
    int codici = 0;
    for (int32_t codice = 1; codice < 1000; ++codice) {
        if (descrivi_codice(codice).significato == descrivi_codice(-1).significato) continue;
        ++codici;
        EXPECT_EQ(descritti.count(std::to_string(codice)), 1u) << codice;
    }
    EXPECT_EQ(codici, 26);
    EXPECT_EQ(descritti.count("1250"), 1u);
    EXPECT_EQ(descritti.count("1251"), 1u);
}

}  // namespace
}  // namespace compattatore
