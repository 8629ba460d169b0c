// The checks every fixed text file must pass: size, CR LF line ends, each line's length, the
// only non-ASCII bytes, key lines, whole replacement of an earlier file, a name that follows
// the scenario while the content does not.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/form1.h"
#include "prova_comune.h"

namespace testo_fisso {

namespace fs = std::filesystem;
using prova::CartellaTemporanea;
using prova::FormProva;
using prova::leggi;
using prova::nomi_in;
using prova::scrivi;

// Splits text at CR LF; every line must end with CR LF and hold no other CR or LF.
inline std::vector<std::string> righe_crlf(const std::string& testo) {
    std::vector<std::string> righe;
    size_t inizio = 0;
    while (inizio < testo.size()) {
        const size_t fine = testo.find("\r\n", inizio);
        if (fine == std::string::npos) {
            ADD_FAILURE() << "text after the last CR LF: " << testo.substr(inizio);
            break;
        }
        righe.push_back(testo.substr(inizio, fine - inizio));
        const auto& r = righe.back();
        EXPECT_EQ(r.find_first_of("\r\n"), std::string::npos)
            << "stray line-end byte in line " << righe.size();
        inizio = fine + 2;
    }
    return righe;
}

// The lines of the file that `scrivi` writes as `nome` into a fresh directory.
inline std::vector<std::string> righe_scritte(void (compattatore::Form1::*scrivi)(),
                                              const std::string& nome) {
    CartellaTemporanea dir;
    FormProva prova(dir.percorso);
    (prova.form.*scrivi)();
    return righe_crlf(leggi(dir.percorso / nome));
}

// What one fixed text file must be.
struct TestoAtteso {
    void (compattatore::Form1::*scrivi)();
    std::string nome;               // with the scenario VALCRESTINA_TORVE and train 325
    std::string nome_altro;         // with the scenario ALTRA_LINEA and train 7
    std::vector<size_t> lunghezze;  // each line's length without its line end
    size_t byte;                    // the whole file
    std::vector<std::pair<size_t, size_t>> non_ascii;  // (line from 1, column from 0), all 0xE8
    std::vector<std::pair<size_t, std::string>> righe_chiave;  // (line from 1, text)
};

// Writes the file over a longer earlier one and checks everything about it.
inline void verifica_testo(const TestoAtteso& atteso) {
    SCOPED_TRACE(atteso.nome);
    CartellaTemporanea dir;
    const fs::path file = dir.percorso / atteso.nome;
    std::string vecchio;
    for (int i = 0; i < 400; ++i) vecchio += std::string(30, '~') + "\r\n";
    scrivi(file, vecchio);

    FormProva prova(dir.percorso);
    (prova.form.*atteso.scrivi)();

    const std::string testo = leggi(file);
    EXPECT_EQ(testo.size(), atteso.byte);
    EXPECT_EQ(testo.find("riferimento fine del file"), std::string::npos);
    EXPECT_EQ(testo.find('~'), std::string::npos) << "something of the earlier file is left";
    EXPECT_EQ(nomi_in(dir.percorso), std::vector<std::string>{atteso.nome});

    const auto righe = righe_crlf(testo);
    EXPECT_EQ(righe.size(), atteso.lunghezze.size());
    std::vector<std::pair<size_t, size_t>> non_ascii;
    for (size_t i = 0; i < righe.size() && i < atteso.lunghezze.size(); ++i) {
        EXPECT_EQ(righe[i].size(), atteso.lunghezze[i]) << "line " << i + 1 << ": " << righe[i];
        for (size_t c = 0; c < righe[i].size(); ++c) {
            const auto b = static_cast<unsigned char>(righe[i][c]);
            if (b >= 0x80) {
                EXPECT_EQ(b, 0xE8) << "line " << i + 1 << " column " << c;
                non_ascii.emplace_back(i + 1, c);
            }
        }
    }
    EXPECT_EQ(non_ascii, atteso.non_ascii);
    for (const auto& [n, riga] : atteso.righe_chiave) {
        if (n > righe.size()) {
            ADD_FAILURE() << "no line " << n;
            continue;
        }
        EXPECT_EQ(righe[n - 1], riga) << "line " << n;
    }

    // The name follows the scenario and the train; the content stays the same.
    FormProva altra(dir.percorso, "ALTRA_LINEA", "7");
    (altra.form.*atteso.scrivi)();
    EXPECT_EQ(leggi(dir.percorso / atteso.nome_altro), testo);
}

}  // namespace testo_fisso
