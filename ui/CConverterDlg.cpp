#include "CConverterDlg.h"

#include "AfxMessageBox.h"
#include "BootLoaderFile.h"
#include "CAboutDlg.h"
#include "CFile.h"
#include "CFileDialog.h"
#include "CPaintDC.h"
#include "CWaitCursor.h"
#include "CWinApp.h"
#include "Conversion.h"
#include "ConverterTexts.h"
#include "FileError.h"
#include "FileSet.h"
#include "ImageLayout.h"
#include "ImagePartReader.h"

#include <chrono>
#include <iterator>
#include <optional>

using namespace ImageLayout;

namespace {

// Total meter positions reached while the boot-loader area is copied: after n bytes, pos. Kept
// on purpose as the program has always shown them, the last at 0x1FFFF rather than at the area's
// end, so the meter shows 9 once the second-to-last byte is in.
struct Milestone {
    std::uint32_t n;
    int pos;
};
constexpr Milestone kMilestones[] = {{15000, 3}, {35000, 4},  {50000, 5},  {70000, 6},
                                     {90000, 7}, {110000, 8}, {0x1FFFF, 9}};

constexpr int kTotalMeterEnd = 10;

// Each move of a visible progress bar repaints it at once, one to a few milliseconds under Wine,
// while the whole copy takes well under a millisecond: moves by byte count drew an animation of
// work already done and cost most of the clone. A screen shows at most one picture per frame, so
// the part meter moves at most once a frame, plus at the first and last byte, which a user sees
// as the start and the end. A monotonic clock, because a wall-clock step must not stall or
// flood the meter.
constexpr std::chrono::milliseconds kDisplayFrame{16};
// Reading the clock for every byte would cost more than the copy: it is read every this many.
constexpr std::uint32_t kClockReadStride = 1024;

using Texts::kStrippedImageName;

// The dialog keeps the variant as its flag: 0 for a 1x image, 1 for a 2x image, its index.
constexpr std::int32_t FlagOf(Variant variant) {
    return static_cast<std::int32_t>(IndexOf(variant));
}

// The library words its failures for the command line; the window reports them in the
// framework's own file-error box, which names the file and the system's reason.
[[noreturn]] void ReportAsFileError(const FileError& error) {
    CFileException::Action action = CFileException::reading;
    switch (error.GetAction()) {
    case FileError::Action::Open:
        action = CFileException::opening;
        break;
    case FileError::Action::Read:
        action = CFileException::reading;
        break;
    case FileError::Action::Create:
        action = CFileException::creatingTemporary;
        break;
    case FileError::Action::Write:
        action = CFileException::writing;
        break;
    case FileError::Action::Replace:
        action = CFileException::renaming;
        break;
    }
    const char* path = error.Path().c_str();
    switch (error.GetCause()) {
    case FileError::Cause::System:
        throw CFileException(path, action, static_cast<DWORD>(error.SystemCode()));
    case FileError::Cause::NotARegularFile:
        throw CFileException(path, action, ERROR_BAD_FILE_TYPE);
    case FileError::Cause::WrongLength:
    case FileError::Cause::WrongVariant:
    case FileError::Cause::ChangedWhileRead:
    case FileError::Cause::VerificationFailed:
        break;
    }
    throw CFileException(path, action, CFileException::unexpectedLength);
}

template <typename Work> auto Library(Work work) {
    try {
        return work();
    } catch (const FileError& error) {
        ReportAsFileError(error);
    }
}

} // namespace

BEGIN_MESSAGE_MAP(CConverterDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_CLONE, CConverterDlg::OnClone)
ON_BN_CLICKED(IDC_BROWSE, CConverterDlg::OnBrowse)
END_MESSAGE_MAP()

CConverterDlg::CConverterDlg(CWnd* pParent)
    : CDialog(IDD, pParent), m_nVariant(FlagOf(Variant::k1x)),
      m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)) {}

void CConverterDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS_TOTAL, m_progressTotal);
    DDX_Control(pDX, IDC_PROGRESS_PART, m_progressPart);
    DDX_Text(pDX, IDC_PATH, m_strPath);
    DDX_Text(pDX, IDC_INFO, m_strInfo);
}

BOOL CConverterDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu systemMenu = GetSystemMenu(FALSE)) {
        CString aboutItem;
        if (aboutItem.LoadString(IDS_ABOUTBOX)) {
            systemMenu.AppendMenu(MF_SEPARATOR);
            systemMenu.AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutItem);
        }
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    const DWORD length = ::GetCurrentDirectoryA(0, nullptr);
    ::GetCurrentDirectoryA(length, m_szStartDir.GetBuffer(length));
    m_szStartDir.ReleaseBuffer();

    return TRUE;
}

void CConverterDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CConverterDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    const int x = (rect.right - rect.left - cxIcon + 1) / 2;
    const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CConverterDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
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

    const ImageFacts facts =
        Library([&] { return ImagePartReader::Inspect(std::string(m_strPath)); });
    m_nFileSize = static_cast<std::uint32_t>(facts.length);

    // Classified by the whole length: a huge file must not pass on its low 32 bits.
    if (facts.kind == ImageKind::Rejected) {
        m_strPath.Empty();
        AppendInfo({Texts::kRejected1, Texts::kRejected2, Texts::kRejected3});
        return;
    }

    m_strFileName = dialog.GetFileName();
    CString size;
    size.Format(Texts::kSelectedSizeFormat, static_cast<int>(m_nFileSize));
    AppendInfo({Texts::kSelectedHeading, CString(Texts::kSelectedName) + m_strFileName, size});
    m_nVariant = FlagOf(facts.variant);
    m_chosen = facts;
    AppendInfo({Texts::TextsFor(facts.variant).selectionLine});
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

    const bool full = m_chosen.kind == ImageKind::Full;
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

    const Conversion conversion(m_chosen.kind, m_chosen.variant);
    std::optional<File> bootLoaderFile = OpenBootLoader(conversion);
    if (!bootLoaderFile)
        return;

    {
        CWaitCursor wait;
        const std::optional<Buffer> bootLoader = ReadBootLoader(conversion, *bootLoaderFile);
        bootLoaderFile.reset();
        if (!bootLoader)
            return;

        const CString outputName = conversion.OutputName(std::string(m_strPath)).c_str();
        CopyBootLoader(image, *bootLoader);
        // Success is reported only once the output is complete on disk.
        WriteOutput(conversion, outputName, image);
        UpdateData(TRUE);
        AppendInfo({Texts::kCloneDone});
    }
    m_progressTotal.SetPos(kTotalMeterEnd);

    RemoveStrippedImage();
}

std::optional<File> CConverterDlg::OpenBootLoader(const Conversion& conversion) {
    try {
        return BootLoaderFile::Open(BootLoaderFile::PathIn("", conversion.GetPlan().target));
    } catch (const FileError& error) {
        switch (error.GetCause()) {
        case FileError::Cause::WrongLength:
            RefuseBootLoader();
            return std::nullopt;
        case FileError::Cause::NotARegularFile:
            // A folder or device of that name is there but is no file: the framework says why.
            ReportAsFileError(error);
        default:
            AfxMessageBox(Texts::kBootLoaderNotOpened, MB_ICONSTOP);
            return std::nullopt;
        }
    }
}

std::optional<CConverterDlg::Buffer> CConverterDlg::ReadBootLoader(const Conversion& conversion,
                                                                   File& file) {
    try {
        return BootLoaderFile::Read(file, conversion.GetPlan().target);
    } catch (const FileError& error) {
        if (error.GetCause() != FileError::Cause::WrongVariant)
            ReportAsFileError(error);
        // Swapped files would write an output whose bytes are not what its name says.
        RefuseBootLoader();
        return std::nullopt;
    }
}

void CConverterDlg::RefuseBootLoader() {
    AppendInfo({Texts::TextsFor(m_chosen.variant).wrongBootLoaderEntry});
    RemoveStrippedImage();
}

void CConverterDlg::StripFullImage() {
    CWaitCursor wait;
    // Kept on purpose: the image part makes its round trip through this file in the start folder,
    // as it always has, so what appears on disk stays as users know it; memory would do as well.
    Buffer strip;
    Library([&] { ImagePartReader::LoadChosen(std::string(m_strPath), strip, m_chosen); });

    CFile stripped(kStrippedImageName, CFile::modeCreate | CFile::modeWrite);
    stripped.Seek(0, CFile::begin);
    stripped.Write(strip.data(), static_cast<UINT>(strip.size()));
    strip = Buffer(); // at most one image-sized buffer at a time
    stripped.Close();
}

CConverterDlg::Buffer CConverterDlg::LoadStrippedImage() const {
    Buffer image;
    std::optional<ImageFacts> facts;
    Library([&] { ImagePartReader::Load(kStrippedImageName, image, facts, kImagePartLength); });
    return image;
}

CConverterDlg::Buffer CConverterDlg::LoadChosenImagePart() const {
    // The image may have been changed since it was chosen; converting it anyway would make an
    // output from another file than the one checked. The reader refuses that.
    Buffer image;
    Library([&] { ImagePartReader::LoadChosen(std::string(m_strPath), image, m_chosen); });
    return image;
}

void CConverterDlg::CopyBootLoader(Buffer& image, const Buffer& bootLoader) {
    using Clock = std::chrono::steady_clock;
    const auto last = static_cast<std::uint32_t>(bootLoader.size() - 1);
    m_progressPart.SetRange32(0, static_cast<int>(last));
    Clock::time_point lastMove;
    const Milestone* next = std::begin(kMilestones);
    Conversion::OverlayBootLoader(image, bootLoader, [&](std::uint32_t i) {
        const bool frameDue = i % kClockReadStride == 0 && Clock::now() - lastMove >= kDisplayFrame;
        if (i == 0 || i == last || frameDue) {
            m_progressPart.SetPos(static_cast<int>(i));
            lastMove = Clock::now();
        }
        // Each total position is a milestone a user reads as a step of the clone: every one is
        // set, once, at its exact byte, whatever the part meter skipped.
        if (next != std::end(kMilestones) && i + 1 == next->n) {
            m_progressTotal.SetPos(next->pos);
            ++next;
        }
    });
}

void CConverterDlg::WriteOutput(const Conversion& conversion, const CString& outputName,
                                const Buffer& image) const {
    // On the storage before it has its name: a failure or a power loss leaves neither a partial
    // output nor a damaged earlier file of that name, and success is never reported early.
    Library([&] { conversion.Begin(std::string(outputName), image, {}).Finish(); });
}

bool CConverterDlg::ChosenImageIsStrippedFile() const {
    return FileSet::Same(std::string(m_strPath), kStrippedImageName);
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
