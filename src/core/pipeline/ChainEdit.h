// The chain surgery of the processing-list editor: copying a chain, and the editor's Add, Insert,
// Delete and Change on a chain held by its head. The dialogs only show lists and call these (and
// the document's channel operations in document/ChannelChains.h); every module they create,
// link, unlink, clone or delete passes through here.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pipeline/HeadFilter.h"

namespace tavrel {

// A copy of a chain: its head cloned, then a clone of every later module appended in order. The
// copy shares no module and no buffer with its source. Null when there is no chain to copy.
HeadPtr CopyChain(const CHeadFilter* head);
// The modules after `head` replaced by clones of those after `source` (none when `source` is
// null); `head` itself stays.
void ReplaceDownstream(CHeadFilter* head, const CHeadFilter* source);

// The processing-list editor's operations on one chain. List entry k is the module at chain
// position k + 1 (the head is position 0 and is never touched). The catalogue holds one prototype
// per offered class; only clones of the prototypes enter the chain.
class ChainEdit {
  public:
    // How Change ended.
    enum class ChangeResult {
        NoEntry,    // no entry was given: nothing happened
        NoModule,   // no module to change (or none that can be backed up): the user was told
        Accepted,   // the dialog ended with OK: the edited module stays, its buffers cleared
        Cancelled,  // the dialog was cancelled: the backup took the edited module's place
    };

    // `head` is the chain to edit (not owned, may be null); `catalogueClasses` the class names
    // offered, in menu order (names that are not module classes are left out).
    ChainEdit(CHeadFilter* head, const std::vector<const char*>& catalogueClasses);
    ~ChainEdit();
    ChainEdit(const ChainEdit&) = delete;
    ChainEdit& operator=(const ChainEdit&) = delete;

    CHeadFilter* Head() const { return m_head; }
    const std::vector<std::unique_ptr<CModBase>>& Catalogue() const { return m_catalogue; }
    // The names the user reads (ShownModuleName) of the modules after the head, in chain order
    // (the list's entries).
    std::vector<std::string> EntryNames() const;
    // The name the user reads of list entry `entry`, empty when there is no module behind it.
    std::string EntryName(int entry) const;

    // A fresh module of catalogue entry `item` after list entry `selected` (at the end when
    // `selected` is -1). Returns the list index of the new entry, or -1 when nothing was added.
    int Add(int item, int selected);
    // The same in front of list entry `selected` (at the end when it is -1).
    int Insert(int item, int selected);
    // Unlinks and deletes the module of list entry `selected`; false when there is none.
    bool Delete(int selected);
    // Runs the settings dialog of the module of list entry `selected`. The module holds its input
    // and recomputes its output on every paint of the preview while the dialog runs, and the
    // document's probe display is off meanwhile. A clone taken before the dialog opened takes the
    // module's place on Cancel.
    ChangeResult Change(int selected);

  private:
    // Links a clone of catalogue entry `item` at chain position `position`, appending it when
    // the chain is shorter; returns the list index it landed on, or -1.
    int Place(int item, int position);

    CHeadFilter* m_head;
    std::vector<std::unique_ptr<CModBase>> m_catalogue;
};

}  // namespace tavrel
