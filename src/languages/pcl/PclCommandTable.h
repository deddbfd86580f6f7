#pragma once

#include "languages/pcl/PclCommand.h"

#include <cstdint>
#include <span>

namespace marlet {

class PclCommands;

/// What follows a command's character: nothing, binary data of the value's length, or
/// transparent data of that length, printed as characters.
enum class PclData : std::uint8_t { None, Binary, Transparent };

/// What a command takes after its data, besides the commands that follow: the PJL lines
/// after a Universal Exit Language, an HP-GL/2 block, or every byte as text (display
/// functions).
enum class PclAfter : std::uint8_t { Nothing, JobLanguage, PlotterBlock, DisplayFunctions };

/// One command a PCL printer knows: its characters, the data it carries and what obeys it
/// (none: taken and ignored).
struct PclCommandEntry {
    char parameter;
    char group;
    /// The command character; 0 for any letter no other entry of the sequence names
    /// (ESC ( 8 U, a symbol set).
    char terminator;
    PclData data;
    void (PclCommands::*handler)(const PclCommand&);
};

/// The commands of PCL 5 that this printer obeys or takes.
class PclCommandTable {
public:
    /// The entry for a command, or null for one no printer knows.
    static const PclCommandEntry* find(const PclCommand& command);
    /// The data that follows a command whose entry find() gave: the entry's, binary data of
    /// the value's length for any W no printer knows, or none.
    static PclData dataOf(const PclCommandEntry* entry, const PclCommand& command);
    /// What a command whose entry find() gave takes after its data, by the handler that
    /// obeys it.
    static PclAfter after(const PclCommandEntry* entry, const PclCommand& command);
    /// Every entry, for walking them all.
    static std::span<const PclCommandEntry> entries();
};

} // namespace marlet
