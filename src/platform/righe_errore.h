// Standard error a whole line at a time. Messages are put together piece by piece; each
// line goes to the system in one write as soon as its end is put, so that a line is never
// split among writes (nor mixed with another process's) and costs one system call. Nothing
// waits beyond the end of a line: a piece without one goes out when the stream is released.
#pragma once

#include <cstddef>
#include <functional>
#include <streambuf>
#include <string>

namespace compattatore {

class RigheErrore : public std::streambuf {
  public:
    // Where each piece goes in one call; by default standard error, which is unbuffered, so
    // that one piece is one write.
    using Uscita = std::function<void(const char* dati, size_t quanti)>;
    RigheErrore();
    explicit RigheErrore(Uscita uscita) : uscita_(std::move(uscita)) {}
    ~RigheErrore() override;
    RigheErrore(const RigheErrore&) = delete;
    RigheErrore& operator=(const RigheErrore&) = delete;

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;

  private:
    // Hands every complete line to standard error; `tutto` the last piece too.
    void emetti(bool tutto);

    Uscita uscita_;
    std::string attesa_;
};

// Standard error through a RigheErrore for the life of the object; restored after.
class StderrARighe {
  public:
    StderrARighe();
    ~StderrARighe();
    StderrARighe(const StderrARighe&) = delete;
    StderrARighe& operator=(const StderrARighe&) = delete;

  private:
    RigheErrore righe_;
    std::streambuf* prima_;
};

}  // namespace compattatore
