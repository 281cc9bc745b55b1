<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>AboutDlg</name>
    <message>
        <source>Tavrelのﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About Tavrel</translation>
    </message>
    <message>
        <source>多チャンネル波形解析プログラム</source>
        <translation>Multichannel waveform analyser</translation>
    </message>
</context>
<context>
    <name>ChAssignDlg</name>
    <message>
        <source>CH割当設定</source>
        <translation>Channel Assignment</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>CH割当</source>
        <translation>Channel assignment</translation>
    </message>
</context>
<context>
    <name>ChProcDlg</name>
    <message>
        <source>%1の追加</source>
        <translation>Add %1</translation>
    </message>
    <message>
        <source>%1の挿入</source>
        <translation>Insert %1</translation>
    </message>
    <message>
        <source>%1の削除</source>
        <translation>Delete %1</translation>
    </message>
    <message>
        <source>%1の設定</source>
        <translation>Settings of %1</translation>
    </message>
    <message>
        <source>変更を破棄しますか?</source>
        <translation>Discard the changes?</translation>
    </message>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
</context>
<context>
    <name>Commands</name>
    <message>
        <source>新規作成(&amp;N)	Ctrl+N</source>
        <translation>&amp;New	Ctrl+N</translation>
    </message>
    <message>
        <source>新規にﾌｧｲﾙを作成</source>
        <translation>Create a new document</translation>
    </message>
    <message>
        <source>新規ﾌｧｲﾙ</source>
        <translation>New</translation>
    </message>
    <message>
        <source>開く(&amp;O)...	Ctrl+O</source>
        <translation>&amp;Open...	Ctrl+O</translation>
    </message>
    <message>
        <source>既存のﾌｧｲﾙを開く</source>
        <translation>Open an existing document</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>上書き保存(&amp;S)	Ctrl+S</source>
        <translation>&amp;Save	Ctrl+S</translation>
    </message>
    <message>
        <source>作業中のﾌｧｲﾙを上書きして保存</source>
        <translation>Save the active document</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>名前を付けて保存(&amp;A)...</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>作業中のﾌｧｲﾙを新しい名前で保存</source>
        <translation>Save the active document under a new name</translation>
    </message>
    <message>
        <source>名前をつけて保存</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>処理データを保存...</source>
        <translation>Save Processed Data...</translation>
    </message>
    <message>
        <source>表示中の処理データを保存</source>
        <translation>Save the processed data shown</translation>
    </message>
    <message>
        <source>処理データ保存</source>
        <translation>Save processed data</translation>
    </message>
    <message>
        <source>グラフ画像を保存...</source>
        <translation>Save Graph Image...</translation>
    </message>
    <message>
        <source>表示中のグラフを画像ファイル (PNG/SVG/PDF) に保存</source>
        <translation>Save the graphs shown as an image file (PNG/SVG/PDF)</translation>
    </message>
    <message>
        <source>グラフ画像保存</source>
        <translation>Save graph image</translation>
    </message>
    <message>
        <source>印刷(&amp;P)...	Ctrl+P</source>
        <translation>&amp;Print...	Ctrl+P</translation>
    </message>
    <message>
        <source>作業中のﾌｧｲﾙを印刷</source>
        <translation>Print the active document</translation>
    </message>
    <message>
        <source>印刷</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>印刷ﾌﾟﾚﾋﾞｭｰ(&amp;V)</source>
        <translation>Print Pre&amp;view</translation>
    </message>
    <message>
        <source>印刷ｲﾒｰｼﾞを表示</source>
        <translation>Show the pages as they will be printed</translation>
    </message>
    <message>
        <source>印刷ﾌﾟﾚﾋﾞｭｰ</source>
        <translation>Print preview</translation>
    </message>
    <message>
        <source>ﾌﾟﾘﾝﾀの設定(&amp;R)...</source>
        <translation>P&amp;rint Setup...</translation>
    </message>
    <message>
        <source>ﾌﾟﾘﾝﾀ/印刷ｵﾌﾟｼｮﾝの変更</source>
        <translation>Change the printer and printing options</translation>
    </message>
    <message>
        <source>印刷設定</source>
        <translation>Print setup</translation>
    </message>
    <message>
        <source>最近使ったﾌｧｲﾙ</source>
        <translation>Recent File</translation>
    </message>
    <message>
        <source>指定のﾌｧｲﾙを開く</source>
        <translation>Open this document</translation>
    </message>
    <message>
        <source>ｱﾌﾟﾘｹｰｼｮﾝの終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示</source>
        <translation>Quit the application; prompts to save documents</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)	Ctrl+Z</source>
        <translation>&amp;Undo	Ctrl+Z</translation>
    </message>
    <message>
        <source>直前に行った動作を元に戻す</source>
        <translation>Undo the last action</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>切り取り(&amp;T)	Ctrl+X</source>
        <translation>Cu&amp;t	Ctrl+X</translation>
    </message>
    <message>
        <source>選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存</source>
        <translation>Cut the selection and put it on the clipboard</translation>
    </message>
    <message>
        <source>切り取り</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>ｺﾋﾟｰ(&amp;C)	Ctrl+C</source>
        <translation>&amp;Copy	Ctrl+C</translation>
    </message>
    <message>
        <source>選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存</source>
        <translation>Copy the selection and put it on the clipboard</translation>
    </message>
    <message>
        <source>ｺﾋﾟｰ</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>貼り付け(&amp;P)	Ctrl+V</source>
        <translation>&amp;Paste	Ctrl+V</translation>
    </message>
    <message>
        <source>ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け</source>
        <translation>Insert the clipboard contents</translation>
    </message>
    <message>
        <source>貼り付け</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>ﾂｰﾙ ﾊﾞｰ(&amp;T)</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>ﾂｰﾙ ﾊﾞｰの 表示/非表示</source>
        <translation>Show or hide the toolbar</translation>
    </message>
    <message>
        <source>ﾂｰﾙ ﾊﾞｰの表示切り替え</source>
        <translation>Toggle toolbar</translation>
    </message>
    <message>
        <source>ｽﾃｰﾀｽ ﾊﾞｰ(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示</source>
        <translation>Show or hide the status bar</translation>
    </message>
    <message>
        <source>ｽﾃｰﾀｽ ﾊﾞｰの表示切り替え</source>
        <translation>Toggle status bar</translation>
    </message>
    <message>
        <source>通常表示</source>
        <translation>Processed Data</translation>
    </message>
    <message>
        <source>通常データ表示</source>
        <translation>Show the processed data</translation>
    </message>
    <message>
        <source>プローブデータ表示</source>
        <translation>Probe Data</translation>
    </message>
    <message>
        <source>プローブデータを表示</source>
        <translation>Show the probe data</translation>
    </message>
    <message>
        <source>相対表示</source>
        <translation>Relative</translation>
    </message>
    <message>
        <source>CH別に最適に表示</source>
        <translation>Scale each channel to fit</translation>
    </message>
    <message>
        <source>絶対表示</source>
        <translation>Absolute</translation>
    </message>
    <message>
        <source>全画面で統一して表示</source>
        <translation>One scale for all channels</translation>
    </message>
    <message>
        <source>１倍で表示</source>
        <translation>Show at 1x</translation>
    </message>
    <message>
        <source>１倍表示</source>
        <translation>1x</translation>
    </message>
    <message>
        <source>２倍で表示</source>
        <translation>Show at 2x</translation>
    </message>
    <message>
        <source>２倍表示</source>
        <translation>2x</translation>
    </message>
    <message>
        <source>４倍で表示</source>
        <translation>Show at 4x</translation>
    </message>
    <message>
        <source>４倍表示</source>
        <translation>4x</translation>
    </message>
    <message>
        <source>10倍で表示</source>
        <translation>Show at 10x</translation>
    </message>
    <message>
        <source>10倍表示</source>
        <translation>10x</translation>
    </message>
    <message>
        <source>20倍で表示</source>
        <translation>Show at 20x</translation>
    </message>
    <message>
        <source>20倍表示</source>
        <translation>20x</translation>
    </message>
    <message>
        <source>40倍で表示</source>
        <translation>Show at 40x</translation>
    </message>
    <message>
        <source>40倍表示</source>
        <translation>40x</translation>
    </message>
    <message>
        <source>100倍で表示</source>
        <translation>Show at 100x</translation>
    </message>
    <message>
        <source>100倍表示</source>
        <translation>100x</translation>
    </message>
    <message>
        <source>計測結果</source>
        <translation>Measurements</translation>
    </message>
    <message>
        <source>各チャンネルの計測結果の表を表示</source>
        <translation>Show the table of measurements of every channel</translation>
    </message>
    <message>
        <source>表示</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>処理設定ダイアログの表示/非表示</source>
        <translation>Show or hide the processing settings dialog</translation>
    </message>
    <message>
        <source>処理設定表示切り替え</source>
        <translation>Toggle processing settings</translation>
    </message>
    <message>
        <source>オプション...</source>
        <translation>Options...</translation>
    </message>
    <message>
        <source>データの最大行数など、プログラムの設定を変更</source>
        <translation>Change the program&apos;s settings, such as the maximum number of data rows</translation>
    </message>
    <message>
        <source>オプション</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>Tavrel のﾊﾞｰｼﾞｮﾝ情報(&amp;A)...</source>
        <translation>&amp;About Tavrel...</translation>
    </message>
    <message>
        <source>ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示</source>
        <translation>Show program information, version and copyright</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>次のｳｨﾝﾄﾞｳ ﾍﾟｲﾝに切り替え</source>
        <translation>Switch to the next window pane</translation>
    </message>
    <message>
        <source>次のﾍﾟｲﾝ</source>
        <translation>Next pane</translation>
    </message>
    <message>
        <source>前のｳｨﾝﾄﾞｳ ﾍﾟｲﾝに切り替え</source>
        <translation>Switch to the previous window pane</translation>
    </message>
    <message>
        <source>前のﾍﾟｲﾝ</source>
        <translation>Previous pane</translation>
    </message>
    <message>
        <source>やり直し(&amp;R)	Ctrl+Y</source>
        <translation>&amp;Redo	Ctrl+Y</translation>
    </message>
    <message>
        <source>元に戻した動作をやり直す</source>
        <translation>Redo the last undone action</translation>
    </message>
    <message>
        <source>やり直し</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>ウィンドウ幅に合わせる</source>
        <translation>Fit to Window Width</translation>
    </message>
    <message>
        <source>グラフの幅をウィンドウの幅に合わせる</source>
        <translation>Make the graphs as wide as the window</translation>
    </message>
    <message>
        <source>データのないチャネルを隠す</source>
        <translation>Hide Channels Without Data</translation>
    </message>
    <message>
        <source>データのないチャネルを表示・印刷しない</source>
        <translation>Leave out channels without data in the view and the printout</translation>
    </message>
    <message>
        <source>イベントを表示</source>
        <translation>Show events</translation>
    </message>
    <message>
        <source>記録のイベント (注釈、マーカー) をグラフに表示・印刷する</source>
        <translation>Show and print the recording&apos;s events (annotations, markers) on the graphs</translation>
    </message>
</context>
<context>
    <name>DataFileDlg</name>
    <message>
        <source>データファイル設定</source>
        <translation>Data File Settings</translation>
    </message>
    <message>
        <source>ヘッダ行スキップ</source>
        <translation>Header rows</translation>
    </message>
    <message>
        <source>する</source>
        <translation>Skip</translation>
    </message>
    <message>
        <source>行スキップ</source>
        <translation>rows</translation>
    </message>
    <message>
        <source>列設定</source>
        <translation>Columns</translation>
    </message>
    <message>
        <source>先頭列をスキップ</source>
        <translation>Skip first columns</translation>
    </message>
    <message>
        <source>列スキップ</source>
        <translation>columns</translation>
    </message>
    <message>
        <source>１列目はタイムスタンプ</source>
        <translation>First column is a time stamp</translation>
    </message>
    <message>
        <source>データ設定</source>
        <translation>Data Settings...</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>記録の信号: %1 (%2)</source>
        <translation>Signals of the recording: %1 (%2)</translation>
    </message>
</context>
<context>
    <name>DataReading</name>
    <message>
        <source>データファイルの先頭 %1 行だけを読み込みました（上限はオプションで変更できます）</source>
        <translation>Only the first %1 rows of the data file were read (the limit can be changed in Options)</translation>
    </message>
    <message>
        <source>読み込めるデータがありませんでした。</source>
        <translation>The data file holds no data that can be read.</translation>
    </message>
    <message>
        <source>数値が見つかりませんでした。</source>
        <translation>No numbers were found in the data file.</translation>
    </message>
    <message>
        <source>%1 行の文字列を 0 として読み込みました</source>
        <translation>%1 rows held text, read as 0</translation>
    </message>
    <message>
        <source>サンプリング周波数 %1 Hz を %2 Hz に丸めました</source>
        <translation>The sampling rate %1 Hz was rounded to %2 Hz</translation>
    </message>
</context>
<context>
    <name>DataSetDlg</name>
    <message>
        <source>データ設定</source>
        <translation>Data Settings</translation>
    </message>
    <message>
        <source>サンプリング（横軸）</source>
        <translation>Sampling (x axis)</translation>
    </message>
    <message>
        <source>周波数（Hz）</source>
        <translation>Rate (Hz)</translation>
    </message>
    <message>
        <source>周期（ms）</source>
        <translation>Period (ms)</translation>
    </message>
    <message>
        <source>値（縦軸）</source>
        <translation>Values (y axis)</translation>
    </message>
    <message>
        <source>単位</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Document</name>
    <message>
        <source>データファイルが開けません。</source>
        <translation>The data file cannot be opened.</translation>
    </message>
    <message>
        <source>メモリが不足しています。</source>
        <translation>There is not enough memory.</translation>
    </message>
    <message>
        <source>サンプリング周波数が異なる信号は読み込みませんでした: </source>
        <translation>Signals with a different sampling rate were not read: </translation>
    </message>
    <message>
        <source>読み込まなかった変数: </source>
        <translation>Variables not read: </translation>
    </message>
    <message>
        <source>ファイルが開けませんでした。</source>
        <translation>The file could not be opened.</translation>
    </message>
    <message>
        <source>処理済</source>
        <translation>Processed_</translation>
    </message>
    <message>
        <source>ドキュメントを開くことができません。</source>
        <translation>The document cannot be opened.</translation>
    </message>
    <message>
        <source>ドキュメントを保存できません。</source>
        <translation>The document cannot be saved.</translation>
    </message>
    <message>
        <source>データファイルの形式が分かりません。</source>
        <translation>The format of the data file is unknown.</translation>
    </message>
    <message>
        <source>メモリが足りません</source>
        <translation>not enough memory</translation>
    </message>
    <message>
        <source>ファイルまたはフォルダがありません</source>
        <translation>no such file or directory</translation>
    </message>
    <message>
        <source>ファイルの形式に誤りがあります（ヘッダの破損、または長さの不一致）</source>
        <translation>the file contains format errors (a damaged header or a file shorter or longer than its header says)</translation>
    </message>
    <message>
        <source>開いているファイルが多すぎます</source>
        <translation>too many files are open</translation>
    </message>
    <message>
        <source>読み込みエラー</source>
        <translation>read error</translation>
    </message>
    <message>
        <source>ファイルはすでに開かれています</source>
        <translation>the file is already open</translation>
    </message>
    <message>
        <source>不連続な記録（EDF+D、BDF+D）は読み込めません</source>
        <translation>a discontinuous recording (EDF+D or BDF+D) cannot be read</translation>
    </message>
    <message>
        <source>エラー %1</source>
        <translation>error %1</translation>
    </message>
    <message>
        <source>データレコードの長さが 0 です</source>
        <translation>the data record duration is 0</translation>
    </message>
    <message>
        <source>最初に読み込む信号のサンプリング周波数は %1 Hz です。読み込めるのは 1 から 100000 Hz までです</source>
        <translation>the sampling rate of the first signal read is %1 Hz; rates from 1 to 100000 Hz can be read</translation>
    </message>
</context>
<context>
    <name>DocumentCommands</name>
    <message>
        <source>Tavrel ﾌｧｲﾙ (*.kcd)</source>
        <translation>Tavrel documents (*.kcd)</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>名前を付けて保存</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>%1 への変更を保存しますか?</source>
        <translation>Save changes to %1?</translation>
    </message>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>無題</source>
        <translation>Untitled</translation>
    </message>
</context>
<context>
    <name>ExportSetDlg</name>
    <message>
        <source>データ書き出し設定</source>
        <translation>Export Settings</translation>
    </message>
    <message>
        <source>ヘッダ行</source>
        <translation>Header row</translation>
    </message>
    <message>
        <source>つける</source>
        <translation>Include</translation>
    </message>
    <message>
        <source>データ番号列</source>
        <translation>Number column</translation>
    </message>
    <message>
        <source>通し番号</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>時間（ms）</source>
        <translation>Time (ms)</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>チャネルごとに時間列</source>
        <translation>Time column per channel</translation>
    </message>
</context>
<context>
    <name>FileChooser</name>
    <message>
        <source>名前を付けて保存</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
</context>
<context>
    <name>GraphPrinting</name>
    <message>
        <source>画像ファイルに書き込めません。</source>
        <translation>The image file cannot be written.</translation>
    </message>
    <message>
        <source>PDF ファイルに書き込めません。</source>
        <translation>The PDF file cannot be written.</translation>
    </message>
    <message>
        <source>画像の形式は PNG、SVG、PDF のいずれかです。</source>
        <translation>The image format must be PNG, SVG or PDF.</translation>
    </message>
</context>
<context>
    <name>GraphReadout</name>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 ms</source>
        <translation>%1 ms</translation>
    </message>
    <message>
        <source>CH%1  時間 %2  値 %3 %4</source>
        <translation>CH%1  time %2  value %3 %4</translation>
    </message>
    <message>
        <source>Δt %1  CH%2  A %3  B %4  B-A %5  平均 %6  RMS %7 %8</source>
        <translation>Δt %1  CH%2  A %3  B %4  B-A %5  mean %6  RMS %7 %8</translation>
    </message>
    <message>
        <source>Δt %1</source>
        <translation>Δt %1</translation>
    </message>
    <message>
        <source>カーソル A をここに置く</source>
        <translation>Place Cursor A Here</translation>
    </message>
    <message>
        <source>カーソル B をここに置く</source>
        <translation>Place Cursor B Here</translation>
    </message>
    <message>
        <source>カーソルを消す</source>
        <translation>Remove Cursors</translation>
    </message>
</context>
<context>
    <name>GraphSplitter</name>
    <message>
        <source>ウィンドウを上下に分割</source>
        <translation>Split the window top and bottom</translation>
    </message>
    <message>
        <source>ウィンドウを左右に分割</source>
        <translation>Split the window left and right</translation>
    </message>
</context>
<context>
    <name>GraphView</name>
    <message>
        <source>カーソル</source>
        <translation>Cursors</translation>
    </message>
    <message>
        <source>カーソルを印刷する</source>
        <translation>Print the cursors</translation>
    </message>
</context>
<context>
    <name>KaisekiApp</name>
    <message>
        <source>印刷できませんでした。</source>
        <translation>Printing failed.</translation>
    </message>
</context>
<context>
    <name>MagWnd</name>
    <message>
        <source>拡大</source>
        <translation>Magnifier</translation>
    </message>
</context>
<context>
    <name>MainFrame</name>
    <message>
        <source>ﾌｧｲﾙ(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>グラフ表示データ</source>
        <translation>Graph Data</translation>
    </message>
    <message>
        <source>グラフY軸表示</source>
        <translation>Graph Y Axis</translation>
    </message>
    <message>
        <source>X軸拡大率</source>
        <translation>X Zoom</translation>
    </message>
    <message>
        <source>Y軸拡大率</source>
        <translation>Y Zoom</translation>
    </message>
    <message>
        <source>処理設定</source>
        <translation>Processing</translation>
    </message>
    <message>
        <source>ﾍﾙﾌﾟ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>ﾂｰﾙ ﾊﾞｰ</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>ﾚﾃﾞｨ</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>ｶﾅ</source>
        <translation>KANA</translation>
    </message>
    <message>
        <source>隠す</source>
        <translation>Hide</translation>
    </message>
    <message>
        <source>表示</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>印刷できませんでした。</source>
        <translation>Printing failed.</translation>
    </message>
    <message>
        <source>印刷ﾌﾟﾚﾋﾞｭｰ</source>
        <translation>Print Preview</translation>
    </message>
    <message>
        <source>ﾌﾟﾘﾝﾀの設定</source>
        <translation>Print Setup</translation>
    </message>
    <message>
        <source>グラフ画像を保存</source>
        <translation>Save Graph Image</translation>
    </message>
    <message>
        <source>PNG 画像 (*.png)</source>
        <translation>PNG images (*.png)</translation>
    </message>
    <message>
        <source>SVG 画像 (*.svg)</source>
        <translation>SVG images (*.svg)</translation>
    </message>
    <message>
        <source>PDF ファイル (*.pdf)</source>
        <translation>PDF files (*.pdf)</translation>
    </message>
    <message>
        <source>元に戻す: %1</source>
        <translation>Undo: %1</translation>
    </message>
    <message>
        <source>やり直し: %1</source>
        <translation>Redo: %1</translation>
    </message>
</context>
<context>
    <name>MeasureWnd</name>
    <message>
        <source>単位</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>サンプル数</source>
        <translation>Samples</translation>
    </message>
    <message>
        <source>周波数[Hz]</source>
        <translation>Rate [Hz]</translation>
    </message>
    <message>
        <source>時間[ms]</source>
        <translation>Duration [ms]</translation>
    </message>
    <message>
        <source>最小</source>
        <translation>Min</translation>
    </message>
    <message>
        <source>最大</source>
        <translation>Max</translation>
    </message>
    <message>
        <source>平均</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>最大絶対値</source>
        <translation>Peak |x|</translation>
    </message>
    <message>
        <source>マーカー</source>
        <translation>Marker</translation>
    </message>
    <message>
        <source>マーカー[ms]</source>
        <translation>Marker [ms]</translation>
    </message>
    <message>
        <source>最終値</source>
        <translation>Last</translation>
    </message>
    <message>
        <source>計測結果</source>
        <translation>Measurements</translation>
    </message>
    <message>
        <source>コピー</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>保存...</source>
        <translation>Save...</translation>
    </message>
    <message>
        <source>ファイルが開けませんでした。</source>
        <translation>The file could not be opened.</translation>
    </message>
    <message>
        <source>計測結果.csv</source>
        <translation>measurements.csv</translation>
    </message>
    <message>
        <source>平均周波数[Hz]</source>
        <translation>Mean freq. [Hz]</translation>
    </message>
    <message>
        <source>中央周波数[Hz]</source>
        <translation>Median freq. [Hz]</translation>
    </message>
    <message>
        <source>傾き[/s]</source>
        <translation>Slope [/s]</translation>
    </message>
    <message>
        <source>バースト</source>
        <translation>Burst</translation>
    </message>
    <message>
        <source>開始[ms]</source>
        <translation>Onset [ms]</translation>
    </message>
    <message>
        <source>終了[ms]</source>
        <translation>Offset [ms]</translation>
    </message>
    <message>
        <source>持続時間[ms]</source>
        <translation>Duration [ms]</translation>
    </message>
    <message>
        <source>ピーク</source>
        <translation>Peak</translation>
    </message>
    <message>
        <source>積分</source>
        <translation>Integral</translation>
    </message>
    <message>
        <source>基準区間[ms]</source>
        <translation>Baseline [ms]</translation>
    </message>
    <message>
        <source>SDの倍数</source>
        <translation>SD factor</translation>
    </message>
    <message>
        <source>最短バースト[ms]</source>
        <translation>Shortest burst [ms]</translation>
    </message>
    <message>
        <source>最短間隔[ms]</source>
        <translation>Shortest gap [ms]</translation>
    </message>
    <message>
        <source>チャンネル</source>
        <translation>Channels</translation>
    </message>
</context>
<context>
    <name>Module</name>
    <message>
        <source>自動活動抽出</source>
        <translation>Amplitude onset detector</translation>
    </message>
    <message>
        <source>クリップ</source>
        <translation>Clip</translation>
    </message>
    <message>
        <source>積分器</source>
        <translation>Integrator</translation>
    </message>
    <message>
        <source>SD活動抽出</source>
        <translation>SD onset detector</translation>
    </message>
    <message>
        <source>帯域通過フィルタ</source>
        <translation>Band-pass filter</translation>
    </message>
    <message>
        <source>帯域阻止フィルタ</source>
        <translation>Band-stop filter</translation>
    </message>
    <message>
        <source>デジタルフィルタ</source>
        <translation>Digital filter</translation>
    </message>
    <message>
        <source>微分器</source>
        <translation>Differentiator</translation>
    </message>
    <message>
        <source>整流器</source>
        <translation>Rectifier</translation>
    </message>
    <message>
        <source>FFT View</source>
        <translation>FFT View</translation>
    </message>
    <message>
        <source>高域通過フィルタ</source>
        <translation>High-pass filter</translation>
    </message>
    <message>
        <source>低域通過フィルタ</source>
        <translation>Low-pass filter</translation>
    </message>
    <message>
        <source>間引き</source>
        <translation>Decimation</translation>
    </message>
    <message>
        <source>移動平均</source>
        <translation>Moving average</translation>
    </message>
    <message>
        <source>プローブ</source>
        <translation>Probe</translation>
    </message>
    <message>
        <source>HeadFilter</source>
        <translation>HeadFilter</translation>
    </message>
    <message>
        <source>ベースクラス</source>
        <translation>Base class</translation>
    </message>
    <message>
        <source>移動RMS</source>
        <translation>Moving RMS</translation>
    </message>
    <message>
        <source>TKEO</source>
        <translation>Teager-Kaiser energy</translation>
    </message>
    <message>
        <source>正規化</source>
        <translation>Normalise</translation>
    </message>
    <message>
        <source>バターワースフィルタ</source>
        <translation>Butterworth filter</translation>
    </message>
    <message>
        <source>ノッチフィルタ</source>
        <translation>Notch filter</translation>
    </message>
    <message>
        <source>周波数トレンド</source>
        <translation>Frequency trend</translation>
    </message>
    <message>
        <source>パワースペクトル</source>
        <translation>Power spectrum</translation>
    </message>
</context>
<context>
    <name>ModuleDialog</name>
    <message>
        <source>自動活動抽出設定</source>
        <translation>Amplitude Onset Detector</translation>
    </message>
    <message>
        <source>クリップ設定</source>
        <translation>Clip</translation>
    </message>
    <message>
        <source>積分範囲設定</source>
        <translation>Integration Range</translation>
    </message>
    <message>
        <source>SD活動抽出設定</source>
        <translation>SD Onset Detector</translation>
    </message>
    <message>
        <source>帯域通過フィルタ設定</source>
        <translation>Band-pass Filter</translation>
    </message>
    <message>
        <source>帯域阻止フィルタ設定</source>
        <translation>Band-stop Filter</translation>
    </message>
    <message>
        <source>整流器設定</source>
        <translation>Rectifier</translation>
    </message>
    <message>
        <source>FFT設定</source>
        <translation>FFT View</translation>
    </message>
    <message>
        <source>低域通過フィルタ設定</source>
        <translation>Low-pass Filter</translation>
    </message>
    <message>
        <source>高域通過フィルタ設定</source>
        <translation>High-pass Filter</translation>
    </message>
    <message>
        <source>間引き設定</source>
        <translation>Decimation</translation>
    </message>
    <message>
        <source>移動平均設定</source>
        <translation>Moving Average</translation>
    </message>
    <message>
        <source>プローブ設定</source>
        <translation>Probe</translation>
    </message>
    <message>
        <source>確認</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>%1 から %2 までの整数を入力してください。</source>
        <translation>Enter a whole number from %1 to %2.</translation>
    </message>
    <message>
        <source>%1 から %2 までの数値を入力してください。</source>
        <translation>Enter a number from %1 to %2.</translation>
    </message>
    <message>
        <source>%1 文字以内で入力してください。</source>
        <translation>Enter at most %1 characters.</translation>
    </message>
    <message>
        <source>低域カットオフ周波数は高域カットオフ周波数より低くしてください。</source>
        <translation>The lower cut-off frequency must be below the upper cut-off frequency.</translation>
    </message>
</context>
<context>
    <name>ModuleDialogs</name>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>適用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>カットオフ周波数（Hz）</source>
        <translation>Cut-off frequency (Hz)</translation>
    </message>
    <message>
        <source>～</source>
        <translation>-</translation>
    </message>
    <message>
        <source>低域カットオフ周波数（Hz）</source>
        <translation>Lower cut-off (Hz)</translation>
    </message>
    <message>
        <source>高域カットオフ周波数（Hz）</source>
        <translation>Upper cut-off (Hz)</translation>
    </message>
    <message>
        <source>CH処理設定</source>
        <translation>CH Processing</translation>
    </message>
    <message>
        <source>フィルタメニュー：</source>
        <translation>Modules:</translation>
    </message>
    <message>
        <source>処理リスト：</source>
        <translation>Processing list:</translation>
    </message>
    <message>
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>挿入</source>
        <translation>Insert</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>変更</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>種別</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>全波整流</source>
        <translation>Full-wave</translation>
    </message>
    <message>
        <source>半波整流</source>
        <translation>Half-wave</translation>
    </message>
    <message>
        <source>極性</source>
        <translation>Polarity</translation>
    </message>
    <message>
        <source>正</source>
        <translation>Pos.</translation>
    </message>
    <message>
        <source>負</source>
        <translation>Neg.</translation>
    </message>
    <message>
        <source>間引き頻度</source>
        <translation>Keep one in</translation>
    </message>
    <message>
        <source>ポイント毎</source>
        <translation>points</translation>
    </message>
    <message>
        <source>平滑度</source>
        <translation>Window</translation>
    </message>
    <message>
        <source>ポイント</source>
        <translation>points</translation>
    </message>
    <message>
        <source>活動判定条件</source>
        <translation>Onset condition</translation>
    </message>
    <message>
        <source>最大振幅の</source>
        <translation>At least</translation>
    </message>
    <message>
        <source>％以上の振幅が</source>
        <translation>% of the peak for</translation>
    </message>
    <message>
        <source>ms以上経過</source>
        <translation>ms or longer</translation>
    </message>
    <message>
        <source>積分範囲（ms）</source>
        <translation>Integration range (ms)</translation>
    </message>
    <message>
        <source>基準範囲：</source>
        <translation>Baseline:</translation>
    </message>
    <message>
        <source>msから</source>
        <translation>ms, for</translation>
    </message>
    <message>
        <source>ms間</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>（</source>
        <translation>(</translation>
    </message>
    <message>
        <source>ms）</source>
        <translation>ms)</translation>
    </message>
    <message>
        <source>基準範囲SDの</source>
        <translation>SD at least</translation>
    </message>
    <message>
        <source>倍以上のSDが</source>
        <translation>x baseline for</translation>
    </message>
    <message>
        <source>選択範囲（ms）</source>
        <translation>Selected range (ms)</translation>
    </message>
    <message>
        <source>切り取り</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>プローブ機能</source>
        <translation>Probe</translation>
    </message>
    <message>
        <source>有効にする</source>
        <translation>Enabled</translation>
    </message>
    <message>
        <source>計算範囲（ms）</source>
        <translation>Transform range (ms)</translation>
    </message>
    <message>
        <source>ms から</source>
        <translation>ms, </translation>
    </message>
    <message>
        <source>点の</source>
        <translation>points,</translation>
    </message>
    <message>
        <source>窓の長さ</source>
        <translation>Window length</translation>
    </message>
    <message>
        <source>基準範囲の最大絶対値</source>
        <translation>Largest magnitude in the reference range</translation>
    </message>
    <message>
        <source>基準値</source>
        <translation>Reference value</translation>
    </message>
    <message>
        <source>基準範囲（ms）</source>
        <translation>Reference range</translation>
    </message>
    <message>
        <source>基準</source>
        <translation>Reference</translation>
    </message>
    <message>
        <source>百分率（%）で表す</source>
        <translation>As a percentage (%)</translation>
    </message>
    <message>
        <source>基準値は0より大きくしてください。</source>
        <translation>The reference value must be above 0.</translation>
    </message>
    <message>
        <source>基準範囲の値がすべて0（または範囲が空）のため、出力できません。</source>
        <translation>Every value in the reference range is 0 (or the range is empty): there is no output.</translation>
    </message>
    <message>
        <source>ゼロ位相（前向きと後ろ向きに適用）</source>
        <translation>Zero phase (run forwards and backwards)</translation>
    </message>
    <message>
        <source>周波数は0より大きく、サンプリング周波数の半分より小さくしてください。</source>
        <translation>The frequency must be above 0 and below half the sampling rate.</translation>
    </message>
    <message>
        <source>ローパス</source>
        <translation>Low-pass</translation>
    </message>
    <message>
        <source>ハイパス</source>
        <translation>High-pass</translation>
    </message>
    <message>
        <source>バンドパス</source>
        <translation>Band-pass</translation>
    </message>
    <message>
        <source>バンドストップ</source>
        <translation>Band-stop</translation>
    </message>
    <message>
        <source>種類</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>次数</source>
        <translation>Order</translation>
    </message>
    <message>
        <source>低域端周波数</source>
        <translation>Low edge</translation>
    </message>
    <message>
        <source>高域端周波数</source>
        <translation>High edge</translation>
    </message>
    <message>
        <source>低域端は高域端より低くしてください。</source>
        <translation>The low edge must be below the high edge.</translation>
    </message>
    <message>
        <source>周波数</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>Q値</source>
        <translation>Quality factor</translation>
    </message>
    <message>
        <source>高調波の数（基本波を含む）</source>
        <translation>Harmonics (including the fundamental)</translation>
    </message>
    <message>
        <source>中央周波数</source>
        <translation>Median frequency</translation>
    </message>
    <message>
        <source>平均周波数</source>
        <translation>Mean frequency</translation>
    </message>
    <message>
        <source>指標</source>
        <translation>Measure</translation>
    </message>
    <message>
        <source>ずらし幅</source>
        <translation>Step</translation>
    </message>
    <message>
        <source>区間の長さ</source>
        <translation>Segment length</translation>
    </message>
    <message>
        <source>点</source>
        <translation>points</translation>
    </message>
    <message>
        <source>デシベル表示</source>
        <translation>Decibels</translation>
    </message>
</context>
<context>
    <name>OptionsDlg</name>
    <message>
        <source>オプション</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>データファイル</source>
        <translation>Data file</translation>
    </message>
    <message>
        <source>データの最大行数</source>
        <translation>Maximum rows</translation>
    </message>
    <message>
        <source>制限しない</source>
        <translation>No limit</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>表示言語</source>
        <translation>Display language</translation>
    </message>
    <message>
        <source>日本語</source>
        <translation>Japanese</translation>
    </message>
    <message>
        <source>次回の起動から有効になります。</source>
        <translation>Takes effect at the next start.</translation>
    </message>
    <message>
        <source>TAVREL_LANG が優先されています。</source>
        <translation>TAVREL_LANG overrides this choice.</translation>
    </message>
    <message>
        <source>計算</source>
        <translation>Computing</translation>
    </message>
    <message>
        <source>計算スレッド数</source>
        <translation>Threads to compute on</translation>
    </message>
    <message>
        <source>0=自動</source>
        <translation>0 = all cores</translation>
    </message>
</context>
<context>
    <name>ProcSetDlg</name>
    <message>
        <source>処理設定</source>
        <translation>Processing Settings</translation>
    </message>
    <message>
        <source>入力データファイルパス</source>
        <translation>Input data file</translation>
    </message>
    <message>
        <source>参照</source>
        <translation>...</translation>
    </message>
    <message>
        <source>決定</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>CH設定</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>割当設定</source>
        <translation>Assign...</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Edit...</translation>
    </message>
    <message>
        <source>データファイル (*.csv *.txt *.edf *.bdf *.gdf *.vhdr *.mat *.acq *.abf *.atf *.cfs *.cfwb *.scp *.mwf *.cnt *.smr)</source>
        <translation>Data files (*.csv *.txt *.edf *.bdf *.gdf *.vhdr *.mat *.acq *.abf *.atf *.cfs *.cfwb *.scp *.mwf *.cnt *.smr)</translation>
    </message>
    <message>
        <source>データ設定</source>
        <translation>Data settings</translation>
    </message>
    <message>
        <source>チャネル割当</source>
        <translation>Channel assignment</translation>
    </message>
    <message>
        <source>CH%1 の処理リストのコピー</source>
        <translation>Copy of the processing list to CH%1</translation>
    </message>
    <message>
        <source>CH%1 の処理リスト</source>
        <translation>Processing list of CH%1</translation>
    </message>
    <message>
        <source>未チェックのCHは上の最も近いチェック付きCHの処理に従います</source>
        <translation>An unticked CH follows the chain of the nearest ticked CH above it</translation>
    </message>
</context>
<context>
    <name>ProgressDlg</name>
    <message>
        <source>処理中</source>
        <translation>Working</translation>
    </message>
    <message>
        <source>処理しています...</source>
        <translation>Processing...</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
</context>
</TS>
