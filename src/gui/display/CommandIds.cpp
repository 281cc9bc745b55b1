#include "gui/display/CommandIds.h"

#include <QtGlobal>
#include <iterator>

namespace tavrel::qt {

namespace {

// The menu texts of the program. The caption of ID_PROC_SETTINGS is the one shown while the
// processing-settings dialog is hidden; the frame switches it to "隠す" while the dialog is shown.
const CommandText kTexts[] = {
    {ID_FILE_NEW, QT_TRANSLATE_NOOP("Commands", "新規作成(&N)\tCtrl+N"),
     QT_TRANSLATE_NOOP("Commands", "新規にﾌｧｲﾙを作成"), QT_TRANSLATE_NOOP("Commands", "新規ﾌｧｲﾙ")},
    {ID_FILE_OPEN, QT_TRANSLATE_NOOP("Commands", "開く(&O)...\tCtrl+O"),
     QT_TRANSLATE_NOOP("Commands", "既存のﾌｧｲﾙを開く"), QT_TRANSLATE_NOOP("Commands", "開く")},
    {ID_FILE_SAVE, QT_TRANSLATE_NOOP("Commands", "上書き保存(&S)\tCtrl+S"),
     QT_TRANSLATE_NOOP("Commands", "作業中のﾌｧｲﾙを上書きして保存"),
     QT_TRANSLATE_NOOP("Commands", "保存")},
    {ID_FILE_SAVE_AS, QT_TRANSLATE_NOOP("Commands", "名前を付けて保存(&A)..."),
     QT_TRANSLATE_NOOP("Commands", "作業中のﾌｧｲﾙを新しい名前で保存"),
     QT_TRANSLATE_NOOP("Commands", "名前をつけて保存")},
    {ID_FILE_SAVE_PROCESSED, QT_TRANSLATE_NOOP("Commands", "処理データを保存..."),
     QT_TRANSLATE_NOOP("Commands", "表示中の処理データを保存"),
     QT_TRANSLATE_NOOP("Commands", "処理データ保存")},
    {ID_FILE_EXPORT_IMAGE, QT_TRANSLATE_NOOP("Commands", "グラフ画像を保存..."),
     QT_TRANSLATE_NOOP("Commands", "表示中のグラフを画像ファイル (PNG/SVG/PDF) に保存"),
     QT_TRANSLATE_NOOP("Commands", "グラフ画像保存")},
    {ID_FILE_PRINT, QT_TRANSLATE_NOOP("Commands", "印刷(&P)...\tCtrl+P"),
     QT_TRANSLATE_NOOP("Commands", "作業中のﾌｧｲﾙを印刷"), QT_TRANSLATE_NOOP("Commands", "印刷")},
    {ID_FILE_PRINT_PREVIEW, QT_TRANSLATE_NOOP("Commands", "印刷ﾌﾟﾚﾋﾞｭｰ(&V)"),
     QT_TRANSLATE_NOOP("Commands", "印刷ｲﾒｰｼﾞを表示"),
     QT_TRANSLATE_NOOP("Commands", "印刷ﾌﾟﾚﾋﾞｭｰ")},
    {ID_FILE_PRINT_SETUP, QT_TRANSLATE_NOOP("Commands", "ﾌﾟﾘﾝﾀの設定(&R)..."),
     QT_TRANSLATE_NOOP("Commands", "ﾌﾟﾘﾝﾀ/印刷ｵﾌﾟｼｮﾝの変更"),
     QT_TRANSLATE_NOOP("Commands", "印刷設定")},
    {ID_FILE_MRU_FILE1, QT_TRANSLATE_NOOP("Commands", "最近使ったﾌｧｲﾙ"),
     QT_TRANSLATE_NOOP("Commands", "指定のﾌｧｲﾙを開く"), nullptr},
    {ID_APP_EXIT, QT_TRANSLATE_NOOP("Commands", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"),
     QT_TRANSLATE_NOOP("Commands", "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示"),
     QT_TRANSLATE_NOOP("Commands", "終了")},
    {ID_EDIT_UNDO, QT_TRANSLATE_NOOP("Commands", "元に戻す(&U)\tCtrl+Z"),
     QT_TRANSLATE_NOOP("Commands", "直前に行った動作を元に戻す"),
     QT_TRANSLATE_NOOP("Commands", "元に戻す")},
    {ID_EDIT_CUT, QT_TRANSLATE_NOOP("Commands", "切り取り(&T)\tCtrl+X"),
     QT_TRANSLATE_NOOP("Commands", "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存"),
     QT_TRANSLATE_NOOP("Commands", "切り取り")},
    {ID_EDIT_COPY, QT_TRANSLATE_NOOP("Commands", "ｺﾋﾟｰ(&C)\tCtrl+C"),
     QT_TRANSLATE_NOOP("Commands", "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存"),
     QT_TRANSLATE_NOOP("Commands", "ｺﾋﾟｰ")},
    {ID_EDIT_PASTE, QT_TRANSLATE_NOOP("Commands", "貼り付け(&P)\tCtrl+V"),
     QT_TRANSLATE_NOOP("Commands", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け"),
     QT_TRANSLATE_NOOP("Commands", "貼り付け")},
    {ID_VIEW_TOOLBAR, QT_TRANSLATE_NOOP("Commands", "ﾂｰﾙ ﾊﾞｰ(&T)"),
     QT_TRANSLATE_NOOP("Commands", "ﾂｰﾙ ﾊﾞｰの 表示/非表示"),
     QT_TRANSLATE_NOOP("Commands", "ﾂｰﾙ ﾊﾞｰの表示切り替え")},
    {ID_VIEW_STATUS_BAR, QT_TRANSLATE_NOOP("Commands", "ｽﾃｰﾀｽ ﾊﾞｰ(&S)"),
     QT_TRANSLATE_NOOP("Commands", "ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示"),
     QT_TRANSLATE_NOOP("Commands", "ｽﾃｰﾀｽ ﾊﾞｰの表示切り替え")},
    {ID_DISPLAY_NORMAL, QT_TRANSLATE_NOOP("Commands", "通常表示"),
     QT_TRANSLATE_NOOP("Commands", "通常データ表示"),
     QT_TRANSLATE_NOOP("Commands", "通常データ表示")},
    {ID_DISPLAY_PROBE, QT_TRANSLATE_NOOP("Commands", "プローブデータ表示"),
     QT_TRANSLATE_NOOP("Commands", "プローブデータを表示"),
     QT_TRANSLATE_NOOP("Commands", "プローブデータ表示")},
    {ID_SCALE_RELATIVE, QT_TRANSLATE_NOOP("Commands", "相対表示"),
     QT_TRANSLATE_NOOP("Commands", "CH別に最適に表示"), QT_TRANSLATE_NOOP("Commands", "相対表示")},
    {ID_SCALE_ABSOLUTE, QT_TRANSLATE_NOOP("Commands", "絶対表示"),
     QT_TRANSLATE_NOOP("Commands", "全画面で統一して表示"),
     QT_TRANSLATE_NOOP("Commands", "絶対表示")},
    {ID_ZOOMX_1, "x1", QT_TRANSLATE_NOOP("Commands", "１倍で表示"),
     QT_TRANSLATE_NOOP("Commands", "１倍表示")},
    {ID_ZOOMX_2, "x2", QT_TRANSLATE_NOOP("Commands", "２倍で表示"),
     QT_TRANSLATE_NOOP("Commands", "２倍表示")},
    {ID_ZOOMX_4, "x4", QT_TRANSLATE_NOOP("Commands", "４倍で表示"),
     QT_TRANSLATE_NOOP("Commands", "４倍表示")},
    {ID_ZOOMX_10, "x10", QT_TRANSLATE_NOOP("Commands", "10倍で表示"),
     QT_TRANSLATE_NOOP("Commands", "10倍表示")},
    {ID_ZOOMX_20, "x20", QT_TRANSLATE_NOOP("Commands", "20倍で表示"),
     QT_TRANSLATE_NOOP("Commands", "20倍表示")},
    {ID_ZOOMX_40, "x40", QT_TRANSLATE_NOOP("Commands", "40倍で表示"),
     QT_TRANSLATE_NOOP("Commands", "40倍表示")},
    {ID_ZOOMX_100, "x100", QT_TRANSLATE_NOOP("Commands", "100倍で表示"),
     QT_TRANSLATE_NOOP("Commands", "100倍表示")},
    {ID_ZOOMY_1, "x1", QT_TRANSLATE_NOOP("Commands", "１倍で表示"),
     QT_TRANSLATE_NOOP("Commands", "１倍表示")},
    {ID_ZOOMY_2, "x2", QT_TRANSLATE_NOOP("Commands", "２倍で表示"),
     QT_TRANSLATE_NOOP("Commands", "２倍表示")},
    {ID_VIEW_MEASUREMENTS, QT_TRANSLATE_NOOP("Commands", "計測結果"),
     QT_TRANSLATE_NOOP("Commands", "各チャンネルの計測結果の表を表示"),
     QT_TRANSLATE_NOOP("Commands", "計測結果")},
    {ID_PROC_SETTINGS, QT_TRANSLATE_NOOP("Commands", "表示"),
     QT_TRANSLATE_NOOP("Commands", "処理設定ダイアログの表示/非表示"),
     QT_TRANSLATE_NOOP("Commands", "処理設定表示切り替え")},
    {ID_EDIT_REDO, QT_TRANSLATE_NOOP("Commands", "やり直し(&R)\tCtrl+Y"),
     QT_TRANSLATE_NOOP("Commands", "元に戻した動作をやり直す"),
     QT_TRANSLATE_NOOP("Commands", "やり直し")},
    {ID_VIEW_FIT_WIDTH, QT_TRANSLATE_NOOP("Commands", "ウィンドウ幅に合わせる"),
     QT_TRANSLATE_NOOP("Commands", "グラフの幅をウィンドウの幅に合わせる"),
     QT_TRANSLATE_NOOP("Commands", "ウィンドウ幅に合わせる")},
    {ID_VIEW_HIDE_EMPTY, QT_TRANSLATE_NOOP("Commands", "データのないチャネルを隠す"),
     QT_TRANSLATE_NOOP("Commands", "データのないチャネルを表示・印刷しない"),
     QT_TRANSLATE_NOOP("Commands", "データのないチャネルを隠す")},
    {ID_VIEW_EVENTS, QT_TRANSLATE_NOOP("Commands", "イベントを表示"),
     QT_TRANSLATE_NOOP("Commands", "記録のイベント (注釈、マーカー) をグラフに表示・印刷する"),
     QT_TRANSLATE_NOOP("Commands", "イベントを表示")},
    {ID_TOOLS_OPTIONS, QT_TRANSLATE_NOOP("Commands", "オプション..."),
     QT_TRANSLATE_NOOP("Commands", "データの最大行数など、プログラムの設定を変更"),
     QT_TRANSLATE_NOOP("Commands", "オプション")},
    {ID_APP_ABOUT, QT_TRANSLATE_NOOP("Commands", "Tavrel のﾊﾞｰｼﾞｮﾝ情報(&A)..."),
     QT_TRANSLATE_NOOP("Commands", "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示"),
     QT_TRANSLATE_NOOP("Commands", "ﾊﾞｰｼﾞｮﾝ情報")},
    {ID_NEXT_PANE, nullptr, QT_TRANSLATE_NOOP("Commands", "次のｳｨﾝﾄﾞｳ ﾍﾟｲﾝに切り替え"),
     QT_TRANSLATE_NOOP("Commands", "次のﾍﾟｲﾝ")},
    {ID_PREV_PANE, nullptr, QT_TRANSLATE_NOOP("Commands", "前のｳｨﾝﾄﾞｳ ﾍﾟｲﾝに切り替え"),
     QT_TRANSLATE_NOOP("Commands", "前のﾍﾟｲﾝ")},
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
