#include "platform/SharedLibrary.h"

#include <dlfcn.h>

namespace tavrel {

SharedLibrary::SharedLibrary(const char* soname) {
    // Its symbols stay its own (RTLD_LOCAL): nothing else is bound to them by accident.
    m_handle = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* reason = ::dlerror();
        m_error =
            std::string(soname) + " cannot be loaded" + (reason ? std::string(": ") + reason : "");
    }
}

void* SharedLibrary::Address(const char* name) {
    if (!m_handle) return nullptr;
    ::dlerror();
    void* address = ::dlsym(m_handle, name);
    if (!address && m_error.empty())
        m_error = std::string("no function ") + name + " in the library";
    return address;
}

}  // namespace tavrel
