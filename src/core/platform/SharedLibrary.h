// Libraries that only some data files need (BioSig, matio), loaded when such a file is first read
// rather than at the program's start: together with what they load in turn (a DICOM toolkit, an
// HDF5 library, network and encryption libraries) they took half of the command-line tool's start,
// paid on every command, for every file.
//
// A library is loaded once and stays loaded. Where it cannot be loaded (not installed, another
// version), the reading of such a file is refused with the reason; nothing else is affected.
#pragma once

#include <string>

namespace tavrel {

class SharedLibrary {
  public:
    // Loads the library of that file name (its soname, e.g. "libbiosig.so.3").
    explicit SharedLibrary(const char* soname);
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Points `function` at the library's function `name`. False (the reason in Error) when the
    // library is not loaded or has no such function.
    template <class F>
    bool Find(F*& function, const char* name) {
        function = reinterpret_cast<F*>(Address(name));
        return function != nullptr;
    }
    // Why the library or a function could not be had; empty while all went well.
    const std::string& Error() const { return m_error; }

  private:
    void* Address(const char* name);

    void* m_handle = nullptr;
    std::string m_error;
};

}  // namespace tavrel
