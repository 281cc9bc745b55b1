#include "gui/display/CommandIds.h"

#include <iterator>

namespace tavrel::qt {

namespace {

// The menu texts of the program. The caption of ID_PROC_SETTINGS is the one shown while the
// processing-settings dialog is hidden; the frame switches it to "隠す" while the dialog is shown.
const CommandText kTexts[] = {
    {ID_FILE_NEW, "新規作成(&N)\tCtrl+N", "新規にﾌｧｲﾙを作成", "新規ﾌｧｲﾙ"},
    {ID_FILE_OPEN, "開く(&O)...\tCtrl+O", "既存のﾌｧｲﾙを開く", "開く"},
    {ID_FILE_SAVE, "上書き保存(&S)\tCtrl+S", "作業中のﾌｧｲﾙを上書きして保存", "保存"},
    {ID_FILE_SAVE_AS, "名前を付けて保存(&A)...", "作業中のﾌｧｲﾙを新しい名前で保存",
     "名前をつけて保存"},
    {ID_FILE_SAVE_PROCESSED, "処理データを保存...", "表示中の処理データを保存", "処理データ保存"},
    {ID_FILE_EXPORT_IMAGE, "グラフ画像を保存...",
     "表示中のグラフを画像ファイル (PNG/SVG/PDF) に保存", "グラフ画像保存"},
    {ID_FILE_PRINT, "印刷(&P)...\tCtrl+P", "作業中のﾌｧｲﾙを印刷", "印刷"},
    {ID_FILE_PRINT_PREVIEW, "印刷ﾌﾟﾚﾋﾞｭｰ(&V)", "印刷ｲﾒｰｼﾞを表示", "印刷ﾌﾟﾚﾋﾞｭｰ"},
    {ID_FILE_PRINT_SETUP, "ﾌﾟﾘﾝﾀの設定(&R)...", "ﾌﾟﾘﾝﾀ/印刷ｵﾌﾟｼｮﾝの変更", "印刷設定"},
    {ID_FILE_MRU_FILE1, "最近使ったﾌｧｲﾙ", "指定のﾌｧｲﾙを開く", nullptr},
    {ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示", "終了"},
    {ID_EDIT_UNDO, "元に戻す(&U)\tCtrl+Z", "直前に行った動作を元に戻す", "元に戻す"},
    {ID_EDIT_CUT, "切り取り(&T)\tCtrl+X", "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存", "切り取り"},
    {ID_EDIT_COPY, "ｺﾋﾟｰ(&C)\tCtrl+C", "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存", "ｺﾋﾟｰ"},
    {ID_EDIT_PASTE, "貼り付け(&P)\tCtrl+V", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け", "貼り付け"},
    {ID_VIEW_TOOLBAR, "ﾂｰﾙ ﾊﾞｰ(&T)", "ﾂｰﾙ ﾊﾞｰの 表示/非表示", "ﾂｰﾙ ﾊﾞｰの表示切り替え"},
    {ID_VIEW_STATUS_BAR, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", "ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示", "ｽﾃｰﾀｽ ﾊﾞｰの表示切り替え"},
    {ID_DISPLAY_NORMAL, "通常表示", "通常データ表示", "通常データ表示"},
    {ID_DISPLAY_PROBE, "プローブデータ表示", "プローブデータを表示", "プローブデータ表示"},
    {ID_SCALE_RELATIVE, "相対表示", "CH別に最適に表示", "相対表示"},
    {ID_SCALE_ABSOLUTE, "絶対表示", "全画面で統一して表示", "絶対表示"},
    {ID_ZOOMX_1, "x1", "１倍で表示", "１倍表示"},
    {ID_ZOOMX_2, "x2", "２倍で表示", "２倍表示"},
    {ID_ZOOMX_4, "x4", "４倍で表示", "４倍表示"},
    {ID_ZOOMX_10, "x10", "10倍で表示", "10倍表示"},
    {ID_ZOOMX_20, "x20", "20倍で表示", "20倍表示"},
    {ID_ZOOMX_40, "x40", "40倍で表示", "40倍表示"},
    {ID_ZOOMX_100, "x100", "100倍で表示", "100倍表示"},
    {ID_ZOOMY_1, "x1", "１倍で表示", "１倍表示"},
    {ID_ZOOMY_2, "x2", "２倍で表示", "２倍表示"},
    {ID_VIEW_MEASUREMENTS, "計測結果", "各チャンネルの計測結果の表を表示", "計測結果"},
    {ID_PROC_SETTINGS, "表示", "処理設定ダイアログの表示/非表示", "処理設定表示切り替え"},
    {ID_TOOLS_OPTIONS, "オプション...", "データの最大行数など、プログラムの設定を変更",
     "オプション"},
    {ID_APP_ABOUT, "Tavrel のﾊﾞｰｼﾞｮﾝ情報(&A)...", "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示",
     "ﾊﾞｰｼﾞｮﾝ情報"},
    {ID_NEXT_PANE, nullptr, "次のｳｨﾝﾄﾞｳ ﾍﾟｲﾝに切り替え", "次のﾍﾟｲﾝ"},
    {ID_PREV_PANE, nullptr, "前のｳｨﾝﾄﾞｳ ﾍﾟｲﾝに切り替え", "前のﾍﾟｲﾝ"},
};

}  // namespace

const CommandText* CommandTexts(int* count) {
    *count = static_cast<int>(std::size(kTexts));
    return kTexts;
}

const CommandText* FindCommandText(int id) {
    for (const CommandText& text : kTexts) {
        if (text.id == id) return &text;
    }
    return nullptr;
}

}  // namespace tavrel::qt
