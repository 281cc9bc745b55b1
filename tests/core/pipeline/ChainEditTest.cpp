// The chain surgery of the editors, headless: copies that share nothing, propagation to the
// channels that are not enabled, the "設定" flow, and the processing-list editor's Add, Insert,
// Delete and Change with its backup, wait cursor and probe display.
#include "document/ChannelChains.h"
#include "pipeline/ChainEdit.h"

#include <gtest/gtest.h>

#include "modules/filters/LPFilter.h"
#include "pipeline/ModuleRegistry.h"
#include "support/ScriptedHost.h"

namespace tavrel {
namespace {

// A module whose class is not registered, so that it cannot be cloned.
class Unclonable : public CModBase {
  public:
    const char* GetClassName() const override { return "CUnclonable"; }
};

// The display names of a chain after its head; fails the test on a broken back link.
std::vector<std::string> Names(const CModBase* head) {
    std::vector<std::string> names;
    for (const CModBase* m = head ? head->m_next : nullptr; m; m = m->m_next) {
        EXPECT_EQ(m->m_prev->m_next, m);
        names.push_back(m->m_name);
    }
    return names;
}

// Links a module named `name` at the end of a chain, which owns it from then on.
CModBase* Append(CModBase* head, std::unique_ptr<CModBase> module, const char* name = nullptr) {
    if (name) module->m_name = name;
    return CModBase::AppendModule(head, module.release());
}

// Pulls channel 0 through its chain as a measuring paint does; the end module keeps its buffers.
void Pull(CKaisekiDoc& doc) {
    doc.Head(0)->ChainMeasure();
}

class ChainEditTest : public ::testing::Test {
  protected:
    ChainEditTest() {
        doc.OnNewDocument();
        doc.m_columns[0] = {1.0, -2.0, 3.0, -4.0};
        doc.m_rowCount = 4;
        a = Append(doc.Head(0), CreateModule("CModBase"), "A");
        b = Append(doc.Head(0), CreateModule("CModBase"), "B");
    }
    // The editor over channel 0 with the base class and the low-pass filter on offer.
    ChainEdit Editor() {
        return ChainEdit(doc.Head(0), {"CModBase", "CNoSuchModule", "CLPFilter"});
    }

    test::ScriptedHost host;
    CKaisekiDoc doc;
    CModBase* a = nullptr;
    CModBase* b = nullptr;
};

TEST_F(ChainEditTest, AddAndInsertPlaceFreshClonesWhereTheEditorSays) {
    ChainEdit edit = Editor();
    ASSERT_EQ(edit.Catalogue().size(), 2u);      // the unknown class is left out
    edit.Catalogue()[1]->m_samplingRate = 1234;  // clones take the prototype's settings

    EXPECT_EQ(edit.Add(1, -1), 2);     // nothing selected: at the end
    EXPECT_EQ(edit.Add(0, 0), 1);      // after A
    EXPECT_EQ(edit.Add(0, 3), 4);      // after the last entry: appended
    EXPECT_EQ(edit.Insert(1, 0), 0);   // in front of the first entry: directly after the head
    EXPECT_EQ(edit.Insert(0, -1), 6);  // nothing selected: at the end
    const std::vector<std::string> expected = {
        "低域通過フィルタ", "A",           "ベースクラス", "B", "低域通過フィルタ",
        "ベースクラス",     "ベースクラス"};
    EXPECT_EQ(Names(doc.Head(0)), expected);
    EXPECT_EQ(edit.EntryNames(), expected);
    EXPECT_EQ(edit.EntryName(2), "ベースクラス");
    EXPECT_EQ(edit.EntryName(7), "");

    // Two clones of one entry are independent modules, neither of them the prototype.
    CModBase* first = CModBase::ModuleAt(doc.Head(0), 1);
    CModBase* second = CModBase::ModuleAt(doc.Head(0), 5);
    EXPECT_NE(first, second);
    EXPECT_NE(first, edit.Catalogue()[1].get());
    EXPECT_EQ(second->m_samplingRate, 1234);
    first->m_samplingRate = 10;
    EXPECT_EQ(second->m_samplingRate, 1234);

    // No catalogue entry chosen, or no chain: nothing is added.
    EXPECT_EQ(edit.Add(-1, 0), -1);
    EXPECT_EQ(edit.Insert(2, 0), -1);
    EXPECT_EQ(ChainEdit(nullptr, {"CModBase"}).Add(0, -1), -1);
    EXPECT_EQ(Names(doc.Head(0)).size(), 7u);
}

TEST_F(ChainEditTest, DeleteUnlinksTheEntrysModule) {
    ChainEdit edit = Editor();
    EXPECT_TRUE(edit.Delete(0));
    EXPECT_EQ(Names(doc.Head(0)), std::vector<std::string>{"B"});
    EXPECT_EQ(b->m_prev, doc.Head(0));
    EXPECT_FALSE(edit.Delete(1));
    EXPECT_FALSE(edit.Delete(-1));
    EXPECT_TRUE(edit.Delete(0));
    EXPECT_EQ(doc.Head(0)->m_next, nullptr);
}

TEST_F(ChainEditTest, ChangeAcceptedKeepsTheEditedModuleAndClearsItsBuffers) {
    ChainEdit edit = Editor();
    Pull(doc);
    ASSERT_TRUE(b->m_output);
    int editingDuringDialog = -1;
    int inputDuringDialog = 0;
    int waitDuringDialog = -1;
    host.dialogScript = [&](ModuleDialog& d) {
        editingDuringDialog = d.Module().m_editing;
        inputDuringDialog = d.Module().m_input ? d.Module().m_inputCount : 0;
        waitDuringDialog = host.waitDepth;
        d.Module().m_samplingRate = 999;  // stands for a changed setting
        return true;
    };
    EXPECT_EQ(edit.Change(0), ChainEdit::ChangeResult::Accepted);
    EXPECT_EQ(host.dialogsRun, 1);
    // The input was pulled through the chain under the wait cursor, which was gone by the dialog.
    EXPECT_EQ(editingDuringDialog, 1);
    EXPECT_EQ(inputDuringDialog, 4);
    EXPECT_EQ(host.waitCursors, 1);
    EXPECT_EQ(waitDuringDialog, 0);
    EXPECT_EQ(doc.Head(0)->m_next, a);
    EXPECT_EQ(a->m_editing, 0);
    EXPECT_EQ(a->m_samplingRate, 999);
    // The edited module and every module after it recompute at the next draw.
    EXPECT_FALSE(a->m_input || a->m_output);
    EXPECT_FALSE(b->m_input || b->m_output);
}

TEST_F(ChainEditTest, ChangeCancelledPutsBackTheBackupClone) {
    ChainEdit edit = Editor();
    a->m_samplingRate = 500;
    host.dialogScript = [](ModuleDialog& d) {
        d.Module().m_samplingRate = 999;  // an applied change, then Cancel
        return false;
    };
    EXPECT_EQ(edit.Change(0), ChainEdit::ChangeResult::Cancelled);
    CModBase* now = doc.Head(0)->m_next;
    EXPECT_NE(now, a);  // a has been deleted; the backup took its place
    EXPECT_EQ(now->m_name, "A");
    EXPECT_EQ(now->m_samplingRate, 500);
    EXPECT_EQ(now->m_editing, 0);
    EXPECT_EQ(now->m_next, b);
    EXPECT_EQ(Names(doc.Head(0)), (std::vector<std::string>{"A", "B"}));
}

TEST_F(ChainEditTest, ProbeDisplayIsOffWhileTheDialogRunsAndRestoredAfterOkAndCancel) {
    ChainEdit edit = Editor();
    for (bool ok : {true, false}) {
        doc.m_display.m_probeDisplay = 1;
        int probeDuringDialog = -1;
        host.dialogScript = [&](ModuleDialog&) {
            probeDuringDialog = doc.m_display.m_probeDisplay;
            return ok;
        };
        edit.Change(1);
        EXPECT_EQ(probeDuringDialog, 0) << ok;
        EXPECT_EQ(doc.m_display.m_probeDisplay, 1) << ok;
    }
}

TEST_F(ChainEditTest, ChangeWithoutAModuleToBackUpReportsMemoryAndChangesNothing) {
    CModBase* odd = Append(doc.Head(0), std::make_unique<Unclonable>());
    ChainEdit edit = Editor();
    EXPECT_EQ(edit.Change(2), ChainEdit::ChangeResult::NoModule);
    EXPECT_EQ(edit.Change(3), ChainEdit::ChangeResult::NoModule);
    EXPECT_EQ(host.messages,
              (std::vector<std::string>{"メモリが不足しています。", "メモリが不足しています。"}));
    EXPECT_EQ(edit.Change(-1), ChainEdit::ChangeResult::NoEntry);  // nothing selected: silent
    EXPECT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.dialogsRun, 0);
    EXPECT_EQ(CModBase::ModuleAt(doc.Head(0), 3), odd);
    EXPECT_EQ(odd->m_editing, 0);
}

TEST_F(ChainEditTest, ActivityDetectorsOfALoadedChainAreChangedAndDeletedLikeOthers) {
    CModBase* sd = Append(doc.Head(0), CreateModule("CSDActDetFilter"));
    Append(doc.Head(0), CreateModule("CAActDetFilter"));
    ChainEdit edit(doc.Head(0), {"CModBase"});
    int templateShown = 0;
    host.dialogScript = [&](ModuleDialog& d) {
        templateShown = d.TemplateId();
        return true;
    };
    EXPECT_EQ(edit.Change(2), ChainEdit::ChangeResult::Accepted);
    EXPECT_EQ(templateShown, 116);
    EXPECT_TRUE(edit.Delete(3));
    EXPECT_EQ(Names(doc.Head(0)), (std::vector<std::string>{"A", "B", "SD活動抽出"}));
    EXPECT_EQ(sd->m_next, nullptr);
}

TEST_F(ChainEditTest, CopyOfAChainSharesNothingWithItsSource) {
    auto* lp = static_cast<CLPFilter*>(Append(doc.Head(0), CreateModule("CLPFilter")));
    lp->m_cutoff = 0.125;
    Pull(doc);
    ASSERT_TRUE(lp->m_output);

    HeadPtr copy = CopyChain(doc.Head(0));
    ASSERT_TRUE(copy);
    EXPECT_EQ(Names(copy.get()), (std::vector<std::string>{"A", "B", "低域通過フィルタ"}));
    EXPECT_EQ(copy->m_prev, nullptr);
    EXPECT_EQ(copy->m_channel, 0);
    EXPECT_EQ(copy->m_doc, &doc);
    const CModBase* source = doc.Head(0);
    for (const CModBase* m = copy.get(); m; m = m->m_next, source = source->m_next) {
        ASSERT_NE(source, nullptr);
        EXPECT_NE(m, source);
        EXPECT_STREQ(m->GetClassName(), source->GetClassName());
        EXPECT_FALSE(m->m_input || m->m_output);
    }
    auto* copiedLp = static_cast<CLPFilter*>(CModBase::ModuleAt(copy.get(), 3));
    EXPECT_EQ(copiedLp->m_cutoff, 0.125);
    copiedLp->m_cutoff = 0.25;
    EXPECT_EQ(lp->m_cutoff, 0.125);
    copiedLp->m_cutoff = 0.125;

    // The copy computes the same samples on its own, and the source keeps its buffers.
    std::vector<double> fromCopy, fromSource, times;
    copy->ChainGetData(&fromCopy, nullptr, &times);
    EXPECT_TRUE(lp->m_output);
    doc.Head(0)->ChainGetData(&fromSource, nullptr, &times);
    EXPECT_EQ(fromCopy.size(), 4u);
    EXPECT_EQ(fromCopy, fromSource);

    EXPECT_EQ(CopyChain(nullptr), nullptr);
}

// The "設定" flow and the propagation to channels that are not enabled.
class ChannelChainsTest : public ::testing::Test {
  protected:
    struct CountingView : DocView {
        int updates = 0;
        void OnUpdate() override { ++updates; }
    };
    ChannelChainsTest() {
        doc.OnNewDocument();
        doc.AddView(&view);
    }
    ~ChannelChainsTest() override { doc.RemoveView(&view); }

    // Accepts after appending a module named `name` to the working chain, as the editor's Add.
    bool EditAppending(int channel, const char* name) {
        return EditChannelChain(doc, channel, [&](CHeadFilter* working) {
            EXPECT_NE(working, doc.Head(channel));  // the editor works on a copy
            const int entry = ChainEdit(working, {"CModBase"}).Add(0, -1);
            CModBase::ModuleAt(working, entry + 1)->m_name = name;
            return true;
        });
    }
    std::vector<std::string> At(int channel) { return Names(doc.Head(channel)); }

    CKaisekiDoc doc;
    CountingView view;
};

TEST_F(ChannelChainsTest, AcceptedListOnCh1IsCopiedToEveryFollowerKeepingItsChannel) {
    CHeadFilter* oldHead2 = doc.Head(2);
    EXPECT_TRUE(EditAppending(0, "LP"));
    for (int i = 0; i < 16; ++i) {
        ASSERT_NE(doc.Head(i), nullptr);
        EXPECT_EQ(At(i), std::vector<std::string>{"LP"}) << i;
        EXPECT_EQ(doc.Head(i)->m_channel, i);
        EXPECT_EQ(doc.Head(i)->m_doc, &doc);
    }
    EXPECT_NE(doc.Head(2), oldHead2);
    EXPECT_NE(doc.Head(1)->m_next, doc.Head(2)->m_next);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(view.updates, 1);

    // Every channel draws its own source column through the copied list.
    doc.m_columns[5] = {1, -2, 3};
    doc.m_rowCount = 3;
    std::vector<double> values, times;
    std::string label;
    doc.GetChannelData(&values, &label, &times, 5);
    EXPECT_EQ(values, (std::vector<double>{1, -2, 3}));
}

TEST_F(ChannelChainsTest, PropagationStopsAtTheNextEnabledChannelAndDisablingRefreshes) {
    SetChannelEnabled(doc, 3, true);
    EXPECT_EQ(doc.m_channelEnabled[3], 1);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(view.updates, 0);  // enabling does not redraw
    EXPECT_TRUE(At(3).empty());  // the channel keeps its chain

    EditAppending(0, "FIRST");
    EXPECT_EQ(At(2), std::vector<std::string>{"FIRST"});
    EXPECT_TRUE(At(3).empty());
    EXPECT_TRUE(At(15).empty());
    EditAppending(3, "FOURTH");
    EXPECT_EQ(At(2), std::vector<std::string>{"FIRST"});
    EXPECT_EQ(At(15), std::vector<std::string>{"FOURTH"});
    EXPECT_EQ(doc.Head(15)->m_channel, 15);

    // Disabling CH4 gives it and its followers CH3's list again.
    view.updates = 0;
    SetChannelEnabled(doc, 3, false);
    EXPECT_EQ(doc.m_channelEnabled[3], 0);
    EXPECT_EQ(At(3), std::vector<std::string>{"FIRST"});
    EXPECT_EQ(At(15), std::vector<std::string>{"FIRST"});
    EXPECT_EQ(doc.Head(3)->m_channel, 3);
    EXPECT_EQ(view.updates, 1);

    // Channel 0 has no check box.
    SetChannelEnabled(doc, 0, false);
    EXPECT_EQ(doc.m_channelEnabled[0], 1);
}

TEST_F(ChannelChainsTest, CancelledEditorLeavesTheDocumentAlone) {
    CHeadFilter* before = doc.Head(0);
    EXPECT_FALSE(EditChannelChain(doc, 0, [](CHeadFilter* working) {
        ChainEdit(working, {"CModBase"}).Add(0, -1);
        return false;
    }));
    EXPECT_EQ(doc.Head(0), before);
    EXPECT_EQ(doc.Head(0)->m_next, nullptr);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(view.updates, 0);
}

TEST_F(ChannelChainsTest, AChannelWithoutAChainIsEditedOnANewHead) {
    doc.m_chains[4].reset();
    CHeadFilter* working = nullptr;
    EditChannelChain(doc, 4, [&](CHeadFilter* w) {
        working = w;
        return true;
    });
    EXPECT_EQ(doc.Head(4), working);
    EXPECT_EQ(working->m_doc, &doc);
    EXPECT_EQ(working->m_channel, 0);
    EXPECT_EQ(doc.Head(5)->m_channel, 5);  // the followers' copies keep their channels
}

}  // namespace
}  // namespace tavrel
