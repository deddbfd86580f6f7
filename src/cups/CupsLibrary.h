#pragma once

#include <cups/cups.h>

namespace marlet {

/// The functions of libcups that printing on CUPS queues calls, loaded the first time a
/// queue is looked at: a run that prints to a file never maps libcups and the dozens of
/// libraries behind it, which would cost it more than a small job's printing.
struct CupsLibrary {
    /// The library, loaded on first use; null when this host has no libcups.
    static const CupsLibrary* get();

    decltype(&::cupsServer) server;
    decltype(&::ippPort) port;
    decltype(&::cupsEncryption) encryption;
    decltype(&::httpConnect2) connect;
    decltype(&::httpReconnect2) reconnect;
    decltype(&::httpClose) close;
    decltype(&::httpStatus) statusText;
    decltype(&::cupsLastError) lastError;
    decltype(&::cupsLastErrorString) lastErrorString;
    decltype(&::cupsGetNamedDest) getNamedDest;
    decltype(&::cupsGetDests2) getDests;
    decltype(&::cupsFreeDests) freeDests;
    decltype(&::cupsCopyDestInfo) copyDestInfo;
    decltype(&::cupsFreeDestInfo) freeDestInfo;
    decltype(&::cupsFindDestDefault) findDestDefault;
    decltype(&::cupsGetDestMediaByName) getDestMediaByName;
    decltype(&::cupsGetOption) getOption;
    decltype(&::ippFindAttribute) findAttribute;
    decltype(&::ippGetCollection) getCollection;
    decltype(&::ippGetInteger) getInteger;
    decltype(&::ippGetString) getString;
    decltype(&::ippGetResolution) getResolution;
    decltype(&::cupsCreateDestJob) createDestJob;
    decltype(&::cupsStartDestDocument) startDestDocument;
    decltype(&::cupsWriteRequestData) writeRequestData;
    decltype(&::cupsFinishDestDocument) finishDestDocument;
    decltype(&::cupsCancelDestJob) cancelDestJob;
};

} // namespace marlet
