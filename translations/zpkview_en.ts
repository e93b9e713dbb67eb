<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>Messages</name>
    <message>
        <source>파일이나 폴더가 없습니다.</source>
        <translation>No such file or folder.</translation>
    </message>
    <message>
        <source>권한이 없습니다.</source>
        <translation>Permission denied.</translation>
    </message>
    <message>
        <source>파일이 아니라 폴더입니다.</source>
        <translation>It is a folder, not a file.</translation>
    </message>
    <message>
        <source>파일이 너무 큽니다.</source>
        <translation>The file is too large.</translation>
    </message>
    <message>
        <source>디스크에 남은 공간이 없습니다.</source>
        <translation>No space left on the disk.</translation>
    </message>
    <message>
        <source>읽기 전용 파일 시스템입니다.</source>
        <translation>The file system is read-only.</translation>
    </message>
    <message>
        <source>심볼릭 링크가 너무 많이 이어집니다.</source>
        <translation>Too many levels of symbolic links.</translation>
    </message>
    <message>
        <source>파일 이름이 너무 깁니다.</source>
        <translation>The file name is too long.</translation>
    </message>
    <message>
        <source>시스템 오류 %1</source>
        <translation>System error %1</translation>
    </message>
    <message>
        <source>일반 파일이 아닙니다.</source>
        <translation>Not a regular file.</translation>
    </message>
    <message>
        <source>같은 이름의 파일이 이미 있습니다.</source>
        <translation>A file with that name already exists.</translation>
    </message>
    <message>
        <source>올바른 zpk 파일이 아닙니다.</source>
        <translation>Not a valid zpk file.</translation>
    </message>
    <message>
        <source>그림이 없습니다.</source>
        <translation>The entry has no image.</translation>
    </message>
    <message>
        <source>메모리가 부족합니다.</source>
        <translation>Out of memory.</translation>
    </message>
    <message>
        <source>저장할 수 없는 그림입니다.</source>
        <translation>This image cannot be saved.</translation>
    </message>
    <message>
        <source>PNG로 바꿀 수 없습니다.</source>
        <translation>Cannot encode the image as PNG.</translation>
    </message>
    <message>
        <source>예상하지 못한 오류입니다.</source>
        <translation>An unexpected error occurred.</translation>
    </message>
    <message>
        <source>읽을 수 없습니다.</source>
        <translation>Cannot read it.</translation>
    </message>
    <message>
        <source>쓸 수 없습니다.</source>
        <translation>Cannot write it.</translation>
    </message>
    <message>
        <source>폴더를 만들 수 없습니다.</source>
        <translation>Cannot create the folder.</translation>
    </message>
    <message>
        <source>알 수 없는 오류입니다.</source>
        <translation>Unknown error.</translation>
    </message>
    <message>
        <source>올바른 zpk 파일이 아닙니다.
%1
파일 크기 %2 바이트, 필요한 크기 %3 바이트</source>
        <translation>Not a valid zpk file.
%1
The file is %2 bytes long; at least %3 bytes are needed.</translation>
    </message>
    <message>
        <source>파일이 너무 큽니다.
%1</source>
        <translation>The file is too large.
%1</translation>
    </message>
    <message>
        <source>파일을 열 수 없습니다.
%1
%2</source>
        <translation>Cannot open the file.
%1
%2</translation>
    </message>
    <message>
        <source>이미지를 저장할 수 없습니다.
%1
%2</source>
        <translation>Cannot save the image.
%1
%2</translation>
    </message>
    <message>
        <source>팔레트 파일이 아니거나 망가졌습니다.</source>
        <translation>Not a palette file, or a damaged one.</translation>
    </message>
    <message>
        <source>컨테이너에 넣을 수 없는 그림입니다.</source>
        <translation>This picture cannot go into a container.</translation>
    </message>
    <message>
        <source>항목을 바꿀 수 없습니다.
%1
%2</source>
        <translation>Cannot replace the entry.
%1
%2</translation>
    </message>
    <message>
        <source>다른 프로그램이 파일을 바꾸는 중입니다.</source>
        <translation>Another program is changing the file.</translation>
    </message>
    <message>
        <source>그사이에 다른 프로그램이 파일을 바꾸었습니다.</source>
        <translation>Another program changed the file meanwhile.</translation>
    </message>
    <message>
        <source>쓰기 금지된 파일입니다.</source>
        <translation>The file is write-protected.</translation>
    </message>
</context>
<context>
    <name>QtDialogs</name>
    <message>
        <source>이미지 저장</source>
        <translation>Save image</translation>
    </message>
    <message>
        <source>모두 내보내기</source>
        <translation>Export all</translation>
    </message>
    <message>
        <source>팔레트 불러오기</source>
        <translation>Load palette</translation>
    </message>
    <message>
        <source>팔레트 파일 (*.gpl *.pal *.act)</source>
        <translation>Palette files (*.gpl *.pal *.act)</translation>
    </message>
    <message>
        <source>모든 파일 (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>GIMP 팔레트 (*.gpl)</source>
        <translation>GIMP palette (*.gpl)</translation>
    </message>
    <message>
        <source>JASC 팔레트 (*.pal)</source>
        <translation>JASC palette (*.pal)</translation>
    </message>
    <message>
        <source>Adobe 색상표 (*.act)</source>
        <translation>Adobe Color Table (*.act)</translation>
    </message>
    <message>
        <source>색 견본 이미지 (*.png)</source>
        <translation>Swatch image (*.png)</translation>
    </message>
    <message>
        <source>팔레트 저장</source>
        <translation>Save palette</translation>
    </message>
    <message>
        <source>바꿀 그림</source>
        <translation>Replacement picture</translation>
    </message>
    <message>
        <source>PNG 그림 (*.png)</source>
        <translation>PNG pictures (*.png)</translation>
    </message>
    <message>
        <source>다른 이름으로 저장</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>zpk 파일 (*.zpk)</source>
        <translation>zpk files (*.zpk)</translation>
    </message>
</context>
<context>
    <name>zpk::CanvasMenu</name>
    <message>
        <source>이미지 저장…</source>
        <translation>Save image…</translation>
    </message>
    <message>
        <source>복사</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>모두 내보내기…</source>
        <translation>Export all…</translation>
    </message>
    <message>
        <source>자세히 보기</source>
        <translation>Inspect</translation>
    </message>
    <message>
        <source>최근 파일</source>
        <translation>Recent files</translation>
    </message>
    <message>
        <source>zpkview 정보</source>
        <translation>About zpkview</translation>
    </message>
    <message>
        <source>(없음)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>목록 지우기</source>
        <translation>Clear list</translation>
    </message>
    <message>
        <source>팔레트 불러오기…</source>
        <translation>Load palette…</translation>
    </message>
    <message>
        <source>팔레트 되돌리기</source>
        <translation>Revert palette</translation>
    </message>
    <message>
        <source>팔레트 저장…</source>
        <translation>Save palette…</translation>
    </message>
    <message>
        <source>모아 보기</source>
        <translation>Gallery</translation>
    </message>
    <message>
        <source>바꾸기…</source>
        <translation>Replace…</translation>
    </message>
</context>
<context>
    <name>zpk::ExportAllFlow</name>
    <message>
        <source>%1 에 이미 있는 파일 %2개를 덮어쓸까요?</source>
        <translation>Existing files in %1: %2. Replace them?</translation>
    </message>
    <message>
        <source>내보내는 중…</source>
        <translation>Exporting…</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>폴더를 만들 수 없습니다.
%1</source>
        <translation>Cannot create the folder.
%1</translation>
    </message>
    <message>
        <source>%1개를 %2 에 내보냈습니다.</source>
        <translation>Images exported to %2: %1.</translation>
    </message>
    <message>
        <source>
중간에 취소했습니다.</source>
        <translation>
Cancelled before the end.</translation>
    </message>
    <message>
        <source>
그림이 없어 건너뛴 항목: %1</source>
        <translation>
Entries skipped for having no image: %1</translation>
    </message>
</context>
<context>
    <name>zpk::GalleryWindow</name>
    <message>
        <source>모아 보기</source>
        <translation>Gallery</translation>
    </message>
    <message>
        <source>항목마다 작은 그림. 누르거나 Enter를 치면 본 창에 그립니다.</source>
        <translation>A thumbnail of every entry. Click one or press Enter to draw it in the main window.</translation>
    </message>
    <message>
        <source>크기</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>작은 그림의 크기, 32부터 256 픽셀까지. Ctrl + 휠로도 바꿉니다.</source>
        <translation>The size of the thumbnails, 32 to 256 pixels. Ctrl + wheel changes it too.</translation>
    </message>
    <message>
        <source>%1 픽셀</source>
        <translation>%1 px</translation>
    </message>
    <message>
        <source>모아 보기 - %1</source>
        <translation>Gallery - %1</translation>
    </message>
    <message>
        <source>불러온 파일 없음</source>
        <translation>No file loaded</translation>
    </message>
    <message>
        <source>항목 %1개</source>
        <translation>%1 entries</translation>
    </message>
    <message>
        <source>항목 %1개, 그리는 중 %2개</source>
        <translation>%1 entries, %2 being drawn</translation>
    </message>
</context>
<context>
    <name>zpk::InspectorWindow</name>
    <message>
        <source>값 %1, 팔레트 %2, %3 (R %4, G %5, B %6)</source>
        <translation>Value %1, palette entry %2, %3 (R %4, G %5, B %6)</translation>
    </message>
    <message>
        <source>자세히 보기</source>
        <translation>Inspector</translation>
    </message>
    <message>
        <source>맞춤</source>
        <translation>Fit</translation>
    </message>
    <message>
        <source>%1x</source>
        <translation>%1x</translation>
    </message>
    <message>
        <source>확대</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>그림 없음</source>
        <translation>No image</translation>
    </message>
    <message>
        <source>%1 x %2, 픽셀 %3 / %4, 색 %5개</source>
        <translation>%1 x %2, pixels %3 / %4, colors: %5</translation>
    </message>
    <message>
        <source> (%1 x %2까지 보임)</source>
        <translation> (shown up to %1 x %2)</translation>
    </message>
    <message>
        <source>자세히 보기 - %1, 항목 %2</source>
        <translation>Inspector - %1, entry %2</translation>
    </message>
    <message>
        <source>x %1, y %2: </source>
        <translation>x %1, y %2: </translation>
    </message>
    <message>
        <source>그려지지 않음 (픽셀 자료 없음)</source>
        <translation>not drawn (no pixel data)</translation>
    </message>
    <message>
        <source>, 그리지 않음 (첫번째 버리기)</source>
        <translation>, not drawn (index 0 skipped)</translation>
    </message>
    <message>
        <source>, 쓰이지 않음</source>
        <translation>, unused</translation>
    </message>
</context>
<context>
    <name>zpk::MainWindow</name>
    <message>
        <source>가져오기</source>
        <translation>Draw</translation>
    </message>
    <message>
        <source>파일불러오기</source>
        <translation>Open file</translation>
    </message>
    <message>
        <source>초기화</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>첫번째 버리기</source>
        <translation>Skip index 0</translation>
    </message>
    <message>
        <source>UserColor</source>
        <translation>UserColor</translation>
    </message>
    <message>
        <source>그림</source>
        <translation>Picture</translation>
    </message>
    <message>
        <source>선택한 항목의 그림. 메뉴 키나 Shift+F10으로 메뉴를 엽니다.</source>
        <translation>The image of the selected entry. The Menu key or Shift+F10 opens its menu.</translation>
    </message>
    <message>
        <source>선택한 항목을 다시 그립니다.</source>
        <translation>Draws the selected entry again.</translation>
    </message>
    <message>
        <source>zpk 파일을 고르는 창을 엽니다.</source>
        <translation>Opens a dialog to choose a zpk file.</translation>
    </message>
    <message>
        <source>항목</source>
        <translation>Entries</translation>
    </message>
    <message>
        <source>불러온 파일의 항목. 고르면 그 그림을 그립니다.</source>
        <translation>The entries of the loaded file. Choosing one draws its image.</translation>
    </message>
    <message>
        <source>그리기 전에 그림판을 흰색으로 지웁니다.</source>
        <translation>Clears the canvas to white before drawing.</translation>
    </message>
    <message>
        <source>값 0인 픽셀은 그리지 않습니다.</source>
        <translation>Pixels of value 0 are not drawn.</translation>
    </message>
    <message>
        <source>팔레트 대신 세 값으로 만든 색 띠로 그립니다.</source>
        <translation>Draws with a color ramp made from the three values instead of the palette.</translation>
    </message>
    <message>
        <source>색 1</source>
        <translation>Color 1</translation>
    </message>
    <message>
        <source>색 띠의 첫째 값, 0부터 255까지</source>
        <translation>First value of the color ramp, 0 to 255</translation>
    </message>
    <message>
        <source>색 2</source>
        <translation>Color 2</translation>
    </message>
    <message>
        <source>색 띠의 둘째 값, 0부터 255까지</source>
        <translation>Second value of the color ramp, 0 to 255</translation>
    </message>
    <message>
        <source>색 3</source>
        <translation>Color 3</translation>
    </message>
    <message>
        <source>색 띠의 셋째 값, 0부터 255까지</source>
        <translation>Third value of the color ramp, 0 to 255</translation>
    </message>
    <message>
        <source>파일</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>이 폴더의 zpk 파일. 고르면 불러옵니다.</source>
        <translation>The zpk files in this folder. Choosing one opens it.</translation>
    </message>
    <message>
        <source>zpkview 정보</source>
        <translation>About zpkview</translation>
    </message>
    <message>
        <source>%1, 항목 %2, %3 x %4</source>
        <translation>%1, entry %2, %3 x %4</translation>
    </message>
    <message>
        <source>zpkview %1
zpk 자원 파일의 그림을 보는 프로그램입니다.

MIT 라이선스로 배포됩니다.

쓰는 라이브러리: Qt %2, %3

단축키: Ctrl+O 열기, Ctrl+S 저장, Ctrl+Shift+C 복사, Ctrl+E 모두 내보내기, Ctrl+I 자세히 보기, Ctrl+G 모아 보기, Shift+F10 메뉴, Ctrl+Q 끝내기</source>
        <translation>zpkview %1
A viewer for the pictures in zpk resource files.

Released under the MIT licence.

Libraries used: Qt %2, %3

Keys: Ctrl+O open, Ctrl+S save, Ctrl+Shift+C copy, Ctrl+E export all, Ctrl+I inspect, Ctrl+G gallery, Shift+F10 menu, Ctrl+Q quit</translation>
    </message>
</context>
<context>
    <name>zpk::PaletteFlow</name>
    <message>
        <source>팔레트를 불러올 수 없습니다.
%1
%2</source>
        <translation>Cannot load the palette.
%1
%2</translation>
    </message>
    <message>
        <source>팔레트를 저장할 수 없습니다.
%1
이름이 .gpl, .pal, .act, .png 가운데 하나로 끝나야 합니다.</source>
        <translation>Cannot save the palette.
%1
The name must end in .gpl, .pal, .act or .png.</translation>
    </message>
    <message>
        <source>팔레트를 저장할 수 없습니다.
%1
%2</source>
        <translation>Cannot save the palette.
%1
%2</translation>
    </message>
</context>
<context>
    <name>zpk::PalettePanel</name>
    <message>
        <source>값 %1, 팔레트 %2</source>
        <translation>Value %1, palette entry %2</translation>
    </message>
    <message>
        <source>팔레트</source>
        <translation>Palette</translation>
    </message>
    <message>
        <source>값 0부터 255까지의 색. 화살표 키로 색을 하나씩 살펴봅니다.</source>
        <translation>The colors of values 0 to 255. The arrow keys step through them one at a time.</translation>
    </message>
</context>
<context>
    <name>zpk::ReplaceDialog</name>
    <message>
        <source>%1 x %2, 색 %3개</source>
        <translation>%1 x %2, %3 colours</translation>
    </message>
    <message>
        <source>항목 바꾸기</source>
        <translation>Replace Entry</translation>
    </message>
    <message>
        <source>%1 의 %2번 항목을 이 그림으로 바꿀까요?</source>
        <translation>Replace entry %2 of %1 with this picture?</translation>
    </message>
    <message>
        <source>지금 항목</source>
        <translation>Current entry</translation>
    </message>
    <message>
        <source>새 그림: %1</source>
        <translation>New picture: %1</translation>
    </message>
    <message>
        <source>투명한 픽셀은 값 0으로</source>
        <translation>Transparent pixels as value 0</translation>
    </message>
    <message>
        <source>바꾸기</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>다른 이름으로 저장…</source>
        <translation>Save As…</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>이 그림으로는 바꿀 수 없습니다.
%1</source>
        <translation>This picture cannot replace the entry.
%1</translation>
    </message>
</context>
<context>
    <name>zpk::ReplaceFlow</name>
    <message>
        <source>모두 내보내는 중에는 항목을 바꿀 수 없습니다.</source>
        <translation>An entry cannot be replaced while Export All is running.</translation>
    </message>
    <message>
        <source>쓰기 금지된 파일입니다.
%1

그래도 바꿀까요?</source>
        <translation>The file is write-protected.
%1

Replace it all the same?</translation>
    </message>
    <message>
        <source>불러온 뒤에 다른 프로그램이 파일을 바꾸었습니다. 항목은 바꾸지 않았습니다.
%1

파일을 다시 불러올까요?</source>
        <translation>Another program changed the file after it was loaded. The entry was not replaced.
%1

Load the file again?</translation>
    </message>
</context>
<context>
    <name>zpk::ThumbnailModel</name>
    <message>
        <source>항목 %1</source>
        <translation>Entry %1</translation>
    </message>
    <message>
        <source>항목 %1
%2 x %3</source>
        <translation>Entry %1
%2 x %3</translation>
    </message>
    <message>
        <source>%1, 항목 %2, 자료 없음</source>
        <translation>%1, entry %2, no data</translation>
    </message>
    <message>
        <source>%1, 항목 %2, %3 x %4</source>
        <translation>%1, entry %2, %3 x %4</translation>
    </message>
    <message>
        <source>자료 없음</source>
        <translation>No data</translation>
    </message>
    <message>
        <source>그림 없음</source>
        <translation>No image</translation>
    </message>
</context>
<context>
    <name>zpk::ViewerContext</name>
    <message>
        <source>Dovenrill의Marbeck Glintmoor</source>
        <translation>Dovenrill&apos;s Marbeck Glintmoor</translation>
    </message>
</context>
</TS>
