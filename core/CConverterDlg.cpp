#include "CConverterDlg.h"

#include "AfxMessageBox.h"
#include "CFile.h"
#include "CFileDialog.h"
#include "CWaitCursor.h"
#include "CWinApp.h"
#include "ImageLayout.h"
#include "Texts.h"
#include "VariantTable.h"

#include <iterator>

using namespace ImageLayout;

namespace {

// Total meter positions reached while the boot-loader area is copied: after n bytes, pos.
struct Milestone {
    std::uint32_t n;
    int pos;
};
constexpr Milestone kMilestones[] = {{15000, 3}, {35000, 4},  {50000, 5},  {70000, 6},
                                     {90000, 7}, {110000, 8}, {0x1FFFF, 9}};

constexpr int kTotalMeterEnd = 10;

// Each move of a visible progress bar repaints it at once, one to a few milliseconds under Wine:
// moving it for every byte would freeze the window for minutes. Every 1,024th byte and the last
// draws the same picture.
constexpr std::uint32_t kPartMeterStep = 1024;

} // namespace

CConverterDlg::CConverterDlg(CWnd* pParent)
    : CDialog(IDD, pParent), m_nVariant(kVariant1x), m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)) {
}

void CConverterDlg::AppendInfo(std::initializer_list<CString> lines) {
    for (const CString& line : lines) {
        m_strInfo += line;
        m_strInfo += "\r\n";
    }
    UpdateData(FALSE);
}

void CConverterDlg::OnBrowse() {
    CFileDialog dialog(TRUE, Texts::kImageExtension, Texts::kImageExtension,
                       OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, Texts::kImageFilter);
    if (dialog.DoModal() != IDOK)
        return;
    UpdateData(TRUE);
    m_strPath = dialog.GetPathName();

    CFile image(m_strPath, CFile::modeRead);
    const ULONGLONG length = image.GetLength();
    m_nFileSize = static_cast<std::uint32_t>(length);

    // Classified by the whole length: a huge file must not pass on its low 32 bits.
    const ImageKind kind = ClassifyLength(length);
    if (kind == ImageKind::Rejected) {
        m_strPath.Empty();
        AppendInfo({Texts::kRejected1, Texts::kRejected2, Texts::kRejected3});
        image.Close();
        return;
    }

    m_strFileName = dialog.GetFileName();
    CString size;
    size.Format(Texts::kSelectedSizeFormat, static_cast<int>(m_nFileSize));
    AppendInfo({Texts::kSelectedHeading, CString(Texts::kSelectedName) + m_strFileName, size});

    unsigned char header[kHeaderLength] = {};
    image.Seek(ImagePartOffset(kind), CFile::begin);
    image.Read(header, sizeof header);
    m_nVariant = DetectVariant(header);
    AppendInfo({VariantRowFor(m_nVariant).selectionLine});
    image.Close();
}

void CConverterDlg::OnClone() {
    UpdateData(TRUE);
    m_progressTotal.SetRange32(0, kTotalMeterEnd);
    // The file dialog may have moved the current directory; the relative names below must
    // resolve where the program started.
    ::SetCurrentDirectoryA(m_szStartDir);

    if (m_strPath.IsEmpty()) {
        AfxMessageBox(Texts::kNothingSelected, MB_ICONSTOP);
        return;
    }
    RemoveStrippedImage();

    const bool full = ClassifyLength(m_nFileSize) == ImageKind::Full;
    // A full image goes through the stripped image file, unless the user chose that very file.
    const bool throughStrippedFile = full && !ChosenImageIsStrippedFile();
    if (full) {
        if (throughStrippedFile)
            StripFullImage();
        UpdateData(TRUE);
        AppendInfo({Texts::kBootLoaderRemoved});
    }
    m_progressTotal.SetPos(1);

    Buffer image = throughStrippedFile ? LoadStrippedImage() : LoadChosenImagePart();
    m_progressTotal.SetPos(2);

    const VariantRow& row = VariantRowFor(m_nVariant);
    CFile bootLoaderFile;
    if (!bootLoaderFile.Open(row.bootLoaderFile, CFile::modeRead)) {
        AfxMessageBox(Texts::kBootLoaderNotOpened, MB_ICONSTOP);
        return;
    }
    if (bootLoaderFile.GetLength() != kBootLoaderLength) {
        bootLoaderFile.Close();
        AppendInfo({row.wrongBootLoaderEntry});
        RemoveStrippedImage();
        return;
    }

    {
        CWaitCursor wait;
        Buffer bootLoader(kBootLoaderLength);
        ReadFully(bootLoaderFile, bootLoader, kBootLoaderLength);
        bootLoaderFile.Close();

        const CString outputName = OutputName(std::string(m_strPath), row.outputTag).c_str();
        CopyBootLoader(image, bootLoader);
        // Success is reported only once the output is complete on disk.
        WriteOutput(outputName, image);
        UpdateData(TRUE);
        AppendInfo({Texts::kCloneDone});
    }
    m_progressTotal.SetPos(kTotalMeterEnd);

    RemoveStrippedImage();
}

void CConverterDlg::CheckUnchanged(const CFile& image) const {
    // The image may have been changed since it was chosen; converting it anyway would make an
    // output from a different layout than the one checked.
    if (image.GetLength() != m_nFileSize)
        throw CFileException(m_strPath, CFileException::reading, 0);
}

void CConverterDlg::ReadFully(CFile& file, Buffer& buffer, std::uint32_t expected) const {
    if (file.Read(buffer.data(), static_cast<UINT>(buffer.size())) != expected)
        throw CFileException(file.GetFilePath(), CFileException::reading, 0);
}

void CConverterDlg::StripFullImage() {
    CWaitCursor wait;
    // Zero-filled: the last byte of the image part, which the file cannot supply, stays 0x00.
    Buffer strip(kImagePartLength);
    CFile image(m_strPath, CFile::modeRead);
    CheckUnchanged(image);
    image.Seek(kFullImagePartOffset, CFile::begin);
    ReadFully(image, strip, ImagePartBytesInFile(ImageKind::Full));
    image.Close();

    CFile stripped(kStrippedImageName, CFile::modeCreate | CFile::modeWrite);
    stripped.Seek(0, CFile::begin);
    stripped.Write(strip.data(), kImagePartLength);
    strip = Buffer(); // at most one image-sized buffer at a time
    stripped.Close();
}

CConverterDlg::Buffer CConverterDlg::LoadStrippedImage() const {
    Buffer image(kImagePartLength);
    CFile stripped(kStrippedImageName, CFile::modeRead);
    ReadFully(stripped, image, kImagePartLength);
    stripped.Close();
    return image;
}

CConverterDlg::Buffer CConverterDlg::LoadChosenImagePart() const {
    const ImageKind kind = ClassifyLength(m_nFileSize);
    Buffer image(kImagePartLength);
    CFile file(m_strPath, CFile::modeRead);
    CheckUnchanged(file);
    file.Seek(ImagePartOffset(kind), CFile::begin);
    ReadFully(file, image, ImagePartBytesInFile(kind));
    file.Close();
    return image;
}

void CConverterDlg::CopyBootLoader(Buffer& image, const Buffer& bootLoader) {
    m_progressPart.SetRange32(0, kBootLoaderLength - 1);
    const Milestone* next = std::begin(kMilestones);
    for (std::uint32_t i = 0; i < kBootLoaderLength; ++i) {
        image[i] = bootLoader[i];
        if (i % kPartMeterStep == 0 || i == kBootLoaderLength - 1)
            m_progressPart.SetPos(static_cast<int>(i));
        if (next != std::end(kMilestones) && i + 1 == next->n) {
            m_progressTotal.SetPos(next->pos);
            ++next;
        }
    }
}

void CConverterDlg::WriteOutput(const CString& outputName, const Buffer& image) const {
    // Written under a temporary name beside the output and moved over it when complete: a
    // failure leaves neither a partial output nor a damaged earlier file of that name.
    const CString temporary = CFile::CreateTemporaryBeside(outputName);
    try {
        CFile output(temporary, CFile::modeCreate | CFile::modeWrite);
        output.Write(image.data(), kImagePartLength);
        output.Close();
        CFile::Replace(temporary, outputName);
    } catch (const CFileException&) {
        RemoveQuietly(temporary);
        throw;
    }
}

bool CConverterDlg::ChosenImageIsStrippedFile() const {
    return CFile::IsSameFile(m_strPath, kStrippedImageName) != FALSE;
}

void CConverterDlg::RemoveStrippedImage() const {
    // The name is reserved for this program's temporary file, but a user may still have chosen
    // a file of that name as the image: that one is never touched.
    CFile leftover;
    if (!leftover.Open(kStrippedImageName, CFile::modeRead))
        return;
    leftover.Close();
    if (!ChosenImageIsStrippedFile())
        RemoveQuietly(kStrippedImageName);
}

void CConverterDlg::RemoveQuietly(const char* path) {
    try {
        CFile::Remove(path);
    } catch (const CFileException&) {
        // Harmless: a leftover is removed or truncated by the next conversion.
    }
}
