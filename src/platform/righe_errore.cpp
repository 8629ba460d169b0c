#include "platform/righe_errore.h"

#include <cstdio>
#include <iostream>

namespace compattatore {

RigheErrore::RigheErrore()
    : uscita_([](const char* dati, size_t quanti) { std::fwrite(dati, 1, quanti, stderr); }) {}

RigheErrore::~RigheErrore() {
    emetti(true);
}

RigheErrore::int_type RigheErrore::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    attesa_.push_back(traits_type::to_char_type(c));
    if (c == '\n') emetti(false);
    return c;
}

std::streamsize RigheErrore::xsputn(const char* s, std::streamsize n) {
    attesa_.append(s, static_cast<size_t>(n));
    if (attesa_.find('\n', attesa_.size() - static_cast<size_t>(n)) != std::string::npos) {
        emetti(false);
    }
    return n;
}

void RigheErrore::emetti(bool tutto) {
    const size_t fine = tutto ? attesa_.size() : attesa_.rfind('\n') + 1;
    if (fine == 0 || fine > attesa_.size()) return;
    uscita_(attesa_.data(), fine);
    attesa_.erase(0, fine);
}

StderrARighe::StderrARighe() : prima_(std::cerr.rdbuf(&righe_)) {}

StderrARighe::~StderrARighe() {
    std::cerr.rdbuf(prima_);
}

}  // namespace compattatore
