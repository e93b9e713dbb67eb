<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>EditMenu</name>
    <message>
        <source>되돌리기</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>되돌리기: %1</source>
        <translation>Undo: %1</translation>
    </message>
    <message>
        <source>다시 하기</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>다시 하기: %1</source>
        <translation>Redo: %1</translation>
    </message>
    <message>
        <source>저장</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>다른 이름으로 저장…</source>
        <translation>Save As…</translation>
    </message>
</context>
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
    <message>
        <source>빨강</source>
        <translation>red</translation>
    </message>
    <message>
        <source>초록</source>
        <translation>green</translation>
    </message>
    <message>
        <source>파랑</source>
        <translation>blue</translation>
    </message>
    <message>
        <source>%1번째 줄:</source>
        <translation>Line %1:</translation>
    </message>
    <message>
        <source>빈 파일입니다.</source>
        <translation>The file is empty.</translation>
    </message>
    <message>
        <source>파일이 %1바이트입니다. 팔레트 파일은 %2바이트까지입니다.</source>
        <translation>The file is %1 bytes; a palette file is at most %2 bytes.</translation>
    </message>
    <message>
        <source>파일 이름이 .gpl, .pal, .act로 끝나지 않습니다.</source>
        <translation>The file name does not end in .gpl, .pal or .act.</translation>
    </message>
    <message>
        <source>견본 이미지는 쓰기만 하고 팔레트로 읽지 않습니다.</source>
        <translation>A swatch image is only written, never read as a palette.</translation>
    </message>
    <message>
        <source>알 수 없는 팔레트 형식입니다.</source>
        <translation>Unknown palette format.</translation>
    </message>
    <message>
        <source>텍스트 팔레트에 올 수 없는 바이트 %1이(가) 있습니다.</source>
        <translation>Byte %1 does not belong in a text palette.</translation>
    </message>
    <message>
        <source>GIMP 팔레트의 머리글이 없습니다.</source>
        <translation>A GIMP palette begins with &quot;GIMP Palette&quot;.</translation>
    </message>
    <message>
        <source>열 수가 0에서 256 사이의 숫자가 아닙니다.</source>
        <translation>Columns is not a number from 0 to 256.</translation>
    </message>
    <message>
        <source>팔레트에 색이 없습니다.</source>
        <translation>The palette holds no colours.</translation>
    </message>
    <message>
        <source>JASC 팔레트의 머리글이 없습니다.</source>
        <translation>A JASC palette begins with &quot;JASC-PAL&quot;.</translation>
    </message>
    <message>
        <source>버전이 0100이 아닙니다.</source>
        <translation>The version is not 0100.</translation>
    </message>
    <message>
        <source>색 개수가 1에서 256 사이의 숫자가 아닙니다.</source>
        <translation>The colour count is not a number from 1 to 256.</translation>
    </message>
    <message>
        <source>색 %1개 중 %2개만 읽고 파일이 끝납니다.</source>
        <translation>The file ends after %2 of %1 colours.</translation>
    </message>
    <message>
        <source>값이 세 개보다 많습니다(&quot;%1&quot;).</source>
        <translation>More than three values (&quot;%1&quot;).</translation>
    </message>
    <message>
        <source>색이 적힌 개수 %1개보다 많습니다.</source>
        <translation>More colours than the count of %1 says.</translation>
    </message>
    <message>
        <source>%1 값이 없습니다.</source>
        <translation>The colour has no %1 value.</translation>
    </message>
    <message>
        <source>%1 값이 음수입니다(&quot;%2&quot;). 색 값은 0에서 255까지입니다.</source>
        <translation>The %1 value &quot;%2&quot; is negative; a colour value is 0 to 255.</translation>
    </message>
    <message>
        <source>%1 값이 숫자가 아닙니다(&quot;%2&quot;).</source>
        <translation>The %1 value &quot;%2&quot; is not a number.</translation>
    </message>
    <message>
        <source>%1 값이 255보다 큽니다(&quot;%2&quot;).</source>
        <translation>The %1 value &quot;%2&quot; is over 255.</translation>
    </message>
    <message>
        <source>색이 %1개보다 많습니다.</source>
        <translation>More than %1 colours.</translation>
    </message>
    <message>
        <source>파일이 %1바이트입니다. Adobe 색상표는 768바이트나 772바이트입니다.</source>
        <translation>The file is %1 bytes; an Adobe Color Table is 768 or 772 bytes.</translation>
    </message>
    <message>
        <source>%1~%2번째 바이트의 색 개수가 %3입니다. 1에서 256 사이여야 합니다.</source>
        <translation>Bytes %1-%2 give a colour count of %3; it must be 1 to 256.</translation>
    </message>
    <message>
        <source>색이 %1개입니다. 팔레트 파일에는 색을 1개에서 256개까지 넣을 수 있습니다.</source>
        <translation>There are %1 colours; a palette file holds 1 to 256.</translation>
    </message>
    <message>
        <source>PNG 파일을 읽을 수 없습니다.</source>
        <translation>The PNG file cannot be read.</translation>
    </message>
    <message>
        <source>PNG 파일의 부가 정보(텍스트, 색 프로필 등)가 망가졌습니다.</source>
        <translation>The PNG file has a damaged ancillary chunk (text, colour profile or other metadata).</translation>
    </message>
    <message>
        <source>PNG 파일을 읽을 수 없습니다. 그림 크기가 맞지 않습니다.</source>
        <translation>The PNG file cannot be read: the image size is not what its header says.</translation>
    </message>
    <message>
        <source>그림이 %1 x %2 픽셀입니다. 항목은 가로와 세로 모두 %3픽셀까지입니다.</source>
        <translation>The picture is %1 x %2 pixels; an entry is at most %3 pixels wide and high.</translation>
    </message>
    <message>
        <source>그림이 %1 x %2 픽셀입니다. 넣을 그림은 %3픽셀까지입니다.</source>
        <translation>The picture is %1 x %2 pixels; a picture to pack has at most %3 pixels.</translation>
    </message>
    <message>
        <source>픽셀 (%1, %2)의 색 번호가 %3입니다. 팔레트에는 색이 %4개뿐입니다.</source>
        <translation>Pixel (%1, %2) has index %3, past the %4 colours of its palette.</translation>
    </message>
    <message>
        <source>픽셀 (%1, %2)이 투명합니다(색 번호 %3, 알파 %4). 투명해도 되는 색은 0번뿐입니다.</source>
        <translation>Pixel (%1, %2) is transparent (index %3, alpha %4); only index 0 may be transparent.</translation>
    </message>
    <message>
        <source>픽셀 (%1, %2)이 반투명합니다(색 번호 %3, 알파 %4). 투명해도 되는 색은 0번뿐입니다.</source>
        <translation>Pixel (%1, %2) is semi-transparent (index %3, alpha %4); only index 0 may be transparent.</translation>
    </message>
    <message>
        <source>팔레트의 %1번 색(%2)에 FF FE 바이트가 들어 있어 저장한 팔레트가 거기서 끝나 버립니다.</source>
        <translation>Palette colour %1 (%2) holds the bytes FF FE, which would end the stored palette.</translation>
    </message>
    <message>
        <source>팔레트의 %1번 색과 %2번 색(%3, %4)이 이어져 FF FE 바이트가 되므로 저장한 팔레트가 거기서 끝나 버립니다. 팔레트 그림의 색 순서는 픽셀 값이므로 바꾸지 않습니다.</source>
        <translation>Palette colours %1 and %2 (%3, %4) together hold the bytes FF FE, which would end the stored palette. The order of a palette image is its pixel values, so it is kept as it is.</translation>
    </message>
    <message>
        <source>16비트 그림입니다. 8비트로 바꾸어 주십시오. 픽셀 (%1, %2)의 값은 8비트 값으로 나타낼 수 없습니다.</source>
        <translation>The picture has 16-bit samples; please convert it to 8 bits first. Pixel (%1, %2) has a sample that no 8-bit value widens to.</translation>
    </message>
    <message>
        <source>픽셀 (%1, %2)이 투명합니다. 투명한 픽셀에 쓸 값이 없습니다.</source>
        <translation>Pixel (%1, %2) is transparent, and no value is kept for transparent pixels.</translation>
    </message>
    <message>
        <source>픽셀 (%1, %2)이 반투명합니다(알파 %3).</source>
        <translation>Pixel (%1, %2) is semi-transparent (alpha %3).</translation>
    </message>
    <message>
        <source>색이 %1개입니다. 한 항목에는 %2색까지 넣을 수 있습니다.</source>
        <translation>The picture has %1 colours; an entry holds at most %2.</translation>
    </message>
    <message>
        <source>색이 %1개입니다. 한 항목에는 투명한 픽셀에 쓰는 0번 말고 %2색까지 넣을 수 있습니다.</source>
        <translation>The picture has %1 colours; an entry holds at most %2 besides value 0 for transparent pixels.</translation>
    </message>
    <message>
        <source>색 %1에 FF FE 바이트가 들어 있어 저장한 팔레트가 거기서 끝나 버립니다.</source>
        <translation>Colour %1 holds the bytes FF FE, which would end the stored palette.</translation>
    </message>
    <message>
        <source>어떤 순서로 저장해도 색 사이에 FF FE 바이트가 생깁니다. FE로 시작해 FF로 끝나는 색이 너무 많습니다.</source>
        <translation>The colours cannot be stored in any order without the bytes FF FE: too many of them start with FE and end in FF.</translation>
    </message>
    <message>
        <source>폴더에 %1 파일이 없습니다.</source>
        <translation>The folder holds no %1.</translation>
    </message>
    <message>
        <source>폴더에 %1까지 그림이 있습니다. 컨테이너에는 항목을 %2개까지 넣을 수 있습니다.</source>
        <translation>The folder holds pictures up to %1; a container holds at most %2 entries.</translation>
    </message>
    <message>
        <source>%1 파일이 없습니다. 그림은 000.png부터 %2까지 빠짐없이 있어야 합니다.</source>
        <translation>%1 is missing: the pictures must run from 000.png to %2 without a gap.</translation>
    </message>
    <message>
        <source>넣는 사이에 그림 파일이 바뀌었습니다.</source>
        <translation>The picture changed while it was being packed.</translation>
    </message>
    <message>
        <source>항목 %1은(는) 없습니다. 파일에는 항목이 %2개 있습니다.</source>
        <translation>There is no entry %1; the file lists %2 entries.</translation>
    </message>
    <message>
        <source>크기 표가 항목 %1의 자리를 %2바이트로 적고 있어 파일 끝(%3바이트)을 넘습니다. 그래서 항목을 다시 쓸 수 없습니다.</source>
        <translation>The size table puts entry %1 at byte %2, past the end of the file (%3 bytes), so its entries cannot be rewritten.</translation>
    </message>
    <message>
        <source>항목 %1을(를) 바꾸면 새 그림대로 읽히지 않습니다. 뒤 항목이 FF FE 바이트로 시작해 이 항목의 일부로 읽히기 때문입니다.</source>
        <translation>Entry %1 would not read back as the new picture: the entry behind it starts with the bytes FF FE, which would be read as part of it.</translation>
    </message>
    <message>
        <source>가로와 세로는 0에서 32767 사이여야 합니다.</source>
        <translation>The width and height must lie between 0 and 32767.</translation>
    </message>
    <message>
        <source>픽셀 수가 가로 곱하기 세로와 다릅니다.</source>
        <translation>The number of pixels is not the width times the height.</translation>
    </message>
    <message>
        <source>색이 256개보다 많습니다.</source>
        <translation>More than 256 colours.</translation>
    </message>
    <message>
        <source>픽셀 값 %1에 해당하는 색이 없습니다.</source>
        <translation>Pixel value %1 has no colour.</translation>
    </message>
    <message>
        <source>%1번 색에 FF FE 바이트가 들어 있어 팔레트가 거기서 끝나 버립니다.</source>
        <translation>Colour %1 holds the bytes FF FE, which end the palette.</translation>
    </message>
    <message>
        <source>%1번 색과 %2번 색이 이어져 FF FE 바이트가 되므로 팔레트가 거기서 끝나 버립니다.</source>
        <translation>Colours %1 and %2 together hold the bytes FF FE, which end the palette.</translation>
    </message>
    <message>
        <source>마지막 색이 FF로 끝나고 다음 항목이 FE로 시작합니다.</source>
        <translation>The last colour ends in FF and the next entry starts with FE.</translation>
    </message>
    <message>
        <source>항목이 %1개입니다. 컨테이너에는 항목을 %2개까지 넣을 수 있습니다.</source>
        <translation>There are %1 entries; a container holds at most %2.</translation>
    </message>
    <message>
        <source>항목 %1이(가) %2바이트입니다. 마지막이 아닌 항목은 %3바이트까지입니다.</source>
        <translation>Entry %1 is %2 bytes; an entry other than the last is at most %3 bytes.</translation>
    </message>
    <message>
        <source>그림에 픽셀이 없습니다.</source>
        <translation>The image has no pixels.</translation>
    </message>
    <message>
        <source>픽셀 바이트 수가 그림 크기와 맞지 않습니다.</source>
        <translation>The pixel bytes do not match the image size.</translation>
    </message>
    <message>
        <source>색 번호의 수가 그림 크기와 맞지 않습니다.</source>
        <translation>The indices do not match the image size.</translation>
    </message>
    <message>
        <source>PNG 팔레트에는 색을 1개에서 256개까지 넣을 수 있습니다.</source>
        <translation>A PNG palette holds 1 to 256 colours.</translation>
    </message>
    <message>
        <source>PNG 팔레트에는 색을 1개에서 256개까지 넣을 수 있고, 알파 값이 색보다 많을 수 없습니다.</source>
        <translation>A PNG palette holds 1 to 256 colours, and no more alpha values than colours.</translation>
    </message>
    <message>
        <source>알파 값이 색보다 많습니다.</source>
        <translation>The image has more alpha values than colours.</translation>
    </message>
    <message>
        <source>팔레트를 벗어나는 색 번호가 있습니다.</source>
        <translation>An index lies past the palette.</translation>
    </message>
    <message>
        <source>시트가 만들 수 있는 크기보다 큽니다.</source>
        <translation>The sheet is larger than a sheet may be.</translation>
    </message>
    <message>
        <source>항목 %1:</source>
        <translation>Entry %1:</translation>
    </message>
    <message>
        <source>내보낸 그림을 디스크에 기록하지 못했습니다.
%1
%2</source>
        <translation>The exported pictures could not be saved to disk.
%1
%2</translation>
    </message>
    <message>
        <source>항목 %1이(가) 전과 다르게 읽히게 됩니다. 이 항목이 FF로 끝나서 뒤에 올 바이트와 함께 반복 코드가 되기 때문입니다.</source>
        <translation>Entry %1 would no longer read as before: it ends in FF, which the bytes that would follow it make a run code.</translation>
    </message>
    <message>
        <source>항목을 모두 지울 수는 없습니다. 파일에는 항목이 하나 이상 있어야 합니다.</source>
        <translation>Not every entry can be deleted: a file keeps at least one.</translation>
    </message>
    <message>
        <source>편집할 수 없습니다.
%1
%2</source>
        <translation>Cannot edit the file.
%1
%2</translation>
    </message>
    <message>
        <source>저장하지 못했습니다. 편집한 내용은 그대로 있습니다.
%1
%2</source>
        <translation>Could not save; the edits are kept.
%1
%2</translation>
    </message>
    <message>
        <source>GIF로 바꿀 수 없습니다.</source>
        <translation>Cannot encode the images as GIF.</translation>
    </message>
    <message>
        <source>그릴 수 있는 항목이 없어 GIF를 만들지 않았습니다.</source>
        <translation>No entry could be drawn, so no GIF was written.</translation>
    </message>
    <message>
        <source>취소했습니다.</source>
        <translation>Cancelled.</translation>
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
    <message>
        <source>넣을 그림</source>
        <translation>Pictures to insert</translation>
    </message>
    <message>
        <source>저장</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>버리기</source>
        <translation>Discard</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>GIF로 저장</source>
        <translation>Save as GIF</translation>
    </message>
    <message>
        <source>비교할 파일</source>
        <translation>File to compare with</translation>
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
    <message>
        <source>바꾼 내용 저장</source>
        <translation>Save changes</translation>
    </message>
    <message>
        <source>재생</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>비교…</source>
        <translation>Compare…</translation>
    </message>
</context>
<context>
    <name>zpk::CompareWindow</name>
    <message>
        <source>다른 파일…</source>
        <translation>Other file…</translation>
    </message>
    <message>
        <source>비교할 다른 파일</source>
        <translation>Another file to compare with</translation>
    </message>
    <message>
        <source>차이</source>
        <translation>Difference</translation>
    </message>
    <message>
        <source>다른 픽셀</source>
        <translation>Differing pixels</translation>
    </message>
    <message>
        <source>비교하는 중… %1/%2</source>
        <translation>Comparing… %1/%2</translation>
    </message>
    <message>
        <source>불러온 파일 없음</source>
        <translation>No file loaded</translation>
    </message>
    <message>
        <source>파일을 읽는 중…</source>
        <translation>Reading the file…</translation>
    </message>
    <message>
        <source>비교하는 중…</source>
        <translation>Comparing…</translation>
    </message>
    <message>
        <source>없음</source>
        <translation>none</translation>
    </message>
    <message>
        <source>그림 없음</source>
        <translation>no picture</translation>
    </message>
    <message>
        <source>비교를 멈췄습니다.</source>
        <translation>The comparison was stopped.</translation>
    </message>
    <message>
        <source>A에만 있음</source>
        <translation>only in A</translation>
    </message>
    <message>
        <source>B에만 있음</source>
        <translation>only in B</translation>
    </message>
    <message>
        <source>크기 %1x%2 → %3x%4</source>
        <translation>size %1x%2 → %3x%4</translation>
    </message>
    <message>
        <source>픽셀 %1개 다름</source>
        <translation>%1 pixels differ</translation>
    </message>
    <message>
        <source>바이트 다름</source>
        <translation>bytes differ</translation>
    </message>
    <message>
        <source>둘 다 그림 없음, 바이트 다름</source>
        <translation>no picture in either, bytes differ</translation>
    </message>
    <message>
        <source>A에 그림 없음</source>
        <translation>no picture in A</translation>
    </message>
    <message>
        <source>B에 그림 없음</source>
        <translation>no picture in B</translation>
    </message>
    <message>
        <source>(없음)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>비교</source>
        <translation>Compare</translation>
    </message>
    <message>
        <source>비교 - %1 : %2</source>
        <translation>Compare - %1 : %2</translation>
    </message>
    <message>
        <source>항목</source>
        <translation>Entry</translation>
    </message>
    <message>
        <source>비교한 항목</source>
        <translation>Compared entries</translation>
    </message>
    <message>
        <source>두 파일의 항목마다 그림의 크기와 차이. 왼쪽, 오른쪽 화살표는 다른 항목으로만 갑니다.</source>
        <translation>The size of each entry&apos;s picture in both files, and what differs. Left and Right go to the differing entries only.</translation>
    </message>
    <message>
        <source>다른 항목 %1개, 모두 %2개</source>
        <translation>%1 of %2 entries differ</translation>
    </message>
</context>
<context>
    <name>zpk::EditSession</name>
    <message>
        <source>모두 내보내는 중에는 항목을 바꿀 수 없습니다.</source>
        <translation>Entries cannot be changed while Export All is running.</translation>
    </message>
    <message>
        <source>고른 그림 %1개와 고른 항목 %2개의 수가 다릅니다.</source>
        <translation>%1 pictures chosen for %2 selected entries: the numbers must match.</translation>
    </message>
    <message>
        <source>항목 %1 바꾸기</source>
        <translation>Replace entry %1</translation>
    </message>
    <message>
        <source>항목 %1개 바꾸기</source>
        <translation>Replace %1 entries</translation>
    </message>
    <message>
        <source>그림 %1개 넣기</source>
        <translation>Insert %1 pictures</translation>
    </message>
    <message>
        <source>항목 %1 지우기</source>
        <translation>Delete entry %1</translation>
    </message>
    <message>
        <source>항목 %1개 지우기</source>
        <translation>Delete %1 entries</translation>
    </message>
    <message>
        <source>불러온 뒤에 다른 프로그램이 파일을 바꾸었습니다.
%1

그래도 편집한 내용으로 덮어쓸까요?</source>
        <translation>Another program changed the file since it was loaded.
%1

Overwrite it with the edits anyway?</translation>
    </message>
    <message>
        <source>쓰기 금지된 파일입니다.
%1

그래도 바꿀까요?</source>
        <translation>The file is write-protected.
%1

Replace it anyway?</translation>
    </message>
    <message>
        <source>%1 에 저장하지 않은 편집이 있습니다.
저장할까요?</source>
        <translation>%1 has edits that are not saved.
Save them?</translation>
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
    <message>
        <source>선택 내보내기…</source>
        <translation>Export selected…</translation>
    </message>
    <message>
        <source>바꾸기…</source>
        <translation>Replace…</translation>
    </message>
    <message>
        <source>앞에 넣기…</source>
        <translation>Insert before…</translation>
    </message>
    <message>
        <source>뒤에 넣기…</source>
        <translation>Insert after…</translation>
    </message>
    <message>
        <source>지우기</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>앞으로 옮기기</source>
        <translation>Move back</translation>
    </message>
    <message>
        <source>뒤로 옮기기</source>
        <translation>Move forward</translation>
    </message>
    <message>
        <source>모두 선택</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>파일(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>편집(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>옮기기</source>
        <translation>Move</translation>
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

단축키: Ctrl+O 열기, Ctrl+S 저장, Ctrl+Shift+C 복사, Ctrl+E 모두 내보내기, Ctrl+I 자세히 보기, Ctrl+G 모아 보기, Ctrl+P 재생, Shift+F10 메뉴, Ctrl+Q 끝내기</source>
        <translation>zpkview %1
A viewer for the pictures in zpk resource files.

Released under the MIT licence.

Libraries used: Qt %2, %3

Keys: Ctrl+O open, Ctrl+S save, Ctrl+Shift+C copy, Ctrl+E export all, Ctrl+I inspect, Ctrl+G gallery, Ctrl+P play, Shift+F10 menu, Ctrl+Q quit</translation>
    </message>
    <message>
        <source>%1 (항목 %2) — %3</source>
        <translation>%1 (entry %2) — %3</translation>
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
    <name>zpk::PlayWindow</name>
    <message>
        <source>재생 중인 그림</source>
        <translation>The picture played</translation>
    </message>
    <message>
        <source>프레임</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>처음</source>
        <translation>First</translation>
    </message>
    <message>
        <source>이전</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>재생</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>스페이스</source>
        <translation>Space</translation>
    </message>
    <message>
        <source>다음</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>끝</source>
        <translation>Last</translation>
    </message>
    <message>
        <source> fps</source>
        <translation> fps</translation>
    </message>
    <message>
        <source>속도 (초당 프레임)</source>
        <translation>Speed (frames a second)</translation>
    </message>
    <message>
        <source>반복</source>
        <translation>Loop</translation>
    </message>
    <message>
        <source>왕복</source>
        <translation>Back and forth</translation>
    </message>
    <message>
        <source>재생 방식</source>
        <translation>Play mode</translation>
    </message>
    <message>
        <source>GIF로 저장…</source>
        <translation>Save as GIF…</translation>
    </message>
    <message>
        <source>GIF로 저장</source>
        <translation>Save as GIF</translation>
    </message>
    <message>
        <source>속도(&amp;S)</source>
        <translation>&amp;Speed</translation>
    </message>
    <message>
        <source>GIF로 저장하는 중… %1/%2</source>
        <translation>Saving the GIF… %1/%2</translation>
    </message>
    <message>
        <source>파일을 읽는 중…</source>
        <translation>Reading the file…</translation>
    </message>
    <message>
        <source>불러온 파일 없음</source>
        <translation>No file loaded</translation>
    </message>
    <message>
        <source>%1에 저장했습니다. GIF는 초당 %2 프레임까지이므로 그 속도로 저장했습니다.</source>
        <translation>Saved as %1, at %2 frames a second: a GIF plays no faster.</translation>
    </message>
    <message>
        <source>%1에 저장했습니다.</source>
        <translation>Saved as %1.</translation>
    </message>
    <message>
        <source>프레임 없음</source>
        <translation>No frames</translation>
    </message>
    <message>
        <source>일시 정지</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>재생 - %1</source>
        <translation>Play - %1</translation>
    </message>
    <message>
        <source>첫 항목</source>
        <translation>First entry</translation>
    </message>
    <message>
        <source>끝 항목</source>
        <translation>Last entry</translation>
    </message>
    <message>
        <source>항목(&amp;N)</source>
        <translation>E&amp;ntries</translation>
    </message>
    <message>
        <source>이 범위에는 그림이 있는 항목이 없습니다.</source>
        <translation>No entry of this range has a picture.</translation>
    </message>
    <message>
        <source>프레임 %1/%2 · 항목 %3</source>
        <translation>Frame %1/%2 · entry %3</translation>
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
