#include "CConverterDlg.h"

#include "AfxMessageBox.h"
#include "Batch.h"
#include "BatchProgress.h"
#include "CAboutDlg.h"
#include "CFile.h"
#include "CFileDialog.h"
#include "CPaintDC.h"
#include "CWaitCursor.h"
#include "CWinApp.h"
#include "ConverterTexts.h"
#include "FileError.h"
#include "FileSet.h"
#include "ImageLayout.h"
#include "ImagePartReader.h"

#include <chrono>
#include <iterator>
#include <new>
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

// The clone's visible steps as the batch makes them: the meters, the wait cursor, the stripped
// image file of a full image and the entry that tells of it.
class CConverterDlg::CloneSteps : public BatchProgress {
public:
    explicit CloneSteps(CConverterDlg& dialog)
        : m_dialog(dialog), m_full(dialog.m_chosen.kind == ImageKind::Full),
          // A full image goes through the stripped image file, unless the user chose that very
          // file.
          m_throughStrippedFile(m_full && !dialog.ChosenImageIsStrippedFile()) {}

    void Starting(std::size_t, const std::string&) override {
        if (m_throughStrippedFile) {
            m_wait.emplace();
            return;
        }
        if (m_full)
            BootLoaderRemoved();
        m_dialog.m_progressTotal.SetPos(1);
    }

    void ImagePartLoaded(Buffer& part) override {
        if (m_throughStrippedFile) {
            m_dialog.StripThroughFile(part);
            m_wait.reset();
            BootLoaderRemoved();
            m_dialog.m_progressTotal.SetPos(1);
            Library([&] {
                std::optional<ImageFacts> facts;
                ImagePartReader::Load(kStrippedImageName, part, facts, kImagePartLength);
            });
        }
        m_dialog.m_progressTotal.SetPos(2);
    }

    void BootLoaderOpened() override { m_wait.emplace(); }

    void BootLoaderByteCopied(std::uint32_t i) override {
        using Clock = std::chrono::steady_clock;
        constexpr std::uint32_t last = kBootLoaderLength - 1;
        if (i == 0)
            m_dialog.m_progressPart.SetRange32(0, static_cast<int>(last));
        const bool frameDue =
            i % kClockReadStride == 0 && Clock::now() - m_lastMove >= kDisplayFrame;
        if (i == 0 || i == last || frameDue) {
            m_dialog.m_progressPart.SetPos(static_cast<int>(i));
            m_lastMove = Clock::now();
        }
        // Each total position is a milestone a user reads as a step of the clone: every one is
        // set, once, at its exact byte, whatever the part meter skipped.
        if (m_next != std::end(kMilestones) && i + 1 == m_next->n) {
            m_dialog.m_progressTotal.SetPos(m_next->pos);
            ++m_next;
        }
    }

    void Ended(const InputResult& result) override { m_result = result; }

    const InputResult& Result() const { return *m_result; }
    void EndWait() { m_wait.reset(); }

private:
    void BootLoaderRemoved() {
        m_dialog.UpdateData(TRUE);
        m_dialog.AppendInfo({Texts::kBootLoaderRemoved});
    }

    CConverterDlg& m_dialog;
    const bool m_full;
    const bool m_throughStrippedFile;
    std::optional<CWaitCursor> m_wait;
    std::chrono::steady_clock::time_point m_lastMove;
    const Milestone* m_next = std::begin(kMilestones);
    std::optional<InputResult> m_result;
};

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

    Batch::Settings settings;
    settings.bootLoaderFolder = ""; // by their bare names, in the start directory
    // The meters show the boot-loader area being copied, and a full image's part goes through
    // the stripped image file: both need the image part in memory.
    settings.through = Batch::Through::Memory;
    Batch::Input image;
    image.name = m_strPath;
    image.chosen = m_chosen;
    Batch batch(settings, {image});
    CloneSteps steps(*this);
    batch.Convert(steps);

    const InputResult& result = steps.Result();
    if (const std::optional<InputFailure>& failure = result.failure) {
        if (failure->of == InputFailure::Of::BootLoader)
            return ReportBootLoaderFailure(*failure);
        if (failure->of == InputFailure::Of::Memory)
            throw std::bad_alloc();
        if (failure->file)
            ReportAsFileError(*failure->file);
        throw CFileException(result.output.c_str(), CFileException::creatingTemporary,
                             CFileException::unexpectedLength);
    }
    // Success is reported only once the output is complete on disk.
    UpdateData(TRUE);
    AppendInfo({Texts::kCloneDone});
    steps.EndWait();
    m_progressTotal.SetPos(kTotalMeterEnd);

    RemoveStrippedImage();
}

void CConverterDlg::ReportBootLoaderFailure(const InputFailure& failure) {
    const std::optional<FileError>& error = failure.file;
    const FileError::Cause cause = error ? error->GetCause() : FileError::Cause::System;
    // Swapped files would write an output whose bytes are not what its name says.
    if (cause == FileError::Cause::WrongLength || cause == FileError::Cause::WrongVariant)
        return RefuseBootLoader();
    // A folder or device of that name is there but is no file: the framework says why.
    if (error &&
        (cause != FileError::Cause::System || error->GetAction() != FileError::Action::Open))
        ReportAsFileError(*error);
    AfxMessageBox(Texts::kBootLoaderNotOpened, MB_ICONSTOP);
}

void CConverterDlg::RefuseBootLoader() {
    AppendInfo({Texts::TextsFor(m_chosen.variant).wrongBootLoaderEntry});
    RemoveStrippedImage();
}

void CConverterDlg::StripThroughFile(Buffer& part) {
    // Kept on purpose: the image part makes its round trip through this file in the start folder,
    // as it always has, so what appears on disk stays as users know it; memory would do as well.
    CFile stripped(kStrippedImageName, CFile::modeCreate | CFile::modeWrite);
    stripped.Seek(0, CFile::begin);
    stripped.Write(part.data(), static_cast<UINT>(part.size()));
    stripped.Close();
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
