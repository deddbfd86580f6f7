#include "CupsLibrary.h"

#include <dlfcn.h>

#include <optional>
#include <type_traits>

namespace marlet {

namespace {

std::optional<CupsLibrary> load() {
    void* handle = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return std::nullopt;
    bool complete = true;
    auto resolve = [&](auto& function, const char* name) {
        function =
            reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(handle, name));
        complete = complete && function;
    };
    CupsLibrary cups{};
    resolve(cups.server, "cupsServer");
    resolve(cups.port, "ippPort");
    resolve(cups.encryption, "cupsEncryption");
    resolve(cups.connect, "httpConnect2");
    resolve(cups.reconnect, "httpReconnect2");
    resolve(cups.close, "httpClose");
    resolve(cups.statusText, "httpStatus");
    resolve(cups.lastError, "cupsLastError");
    resolve(cups.lastErrorString, "cupsLastErrorString");
    resolve(cups.getNamedDest, "cupsGetNamedDest");
    resolve(cups.getDests, "cupsGetDests2");
    resolve(cups.freeDests, "cupsFreeDests");
    resolve(cups.copyDestInfo, "cupsCopyDestInfo");
    resolve(cups.freeDestInfo, "cupsFreeDestInfo");
    resolve(cups.findDestDefault, "cupsFindDestDefault");
    resolve(cups.getDestMediaByName, "cupsGetDestMediaByName");
    resolve(cups.getOption, "cupsGetOption");
    resolve(cups.findAttribute, "ippFindAttribute");
    resolve(cups.getCollection, "ippGetCollection");
    resolve(cups.getInteger, "ippGetInteger");
    resolve(cups.getString, "ippGetString");
    resolve(cups.getResolution, "ippGetResolution");
    resolve(cups.createDestJob, "cupsCreateDestJob");
    resolve(cups.startDestDocument, "cupsStartDestDocument");
    resolve(cups.writeRequestData, "cupsWriteRequestData");
    resolve(cups.finishDestDocument, "cupsFinishDestDocument");
    resolve(cups.cancelDestJob, "cupsCancelDestJob");
    if (!complete) {
        dlclose(handle);
        return std::nullopt;
    }
    // The library stays loaded for the rest of the run, as a linked one would.
    return cups;
}

} // namespace

const CupsLibrary* CupsLibrary::get() {
    static const std::optional<CupsLibrary> library = load();
    return library ? &*library : nullptr;
}

} // namespace marlet
