/* Error texts in the words of the GNU C library, which the rest of the
 * program shows, so that the converter says the same whichever C library it
 * was linked with. */
#include <errno.h>
#include <string.h>

#include "tools/makeov2/makeov2.h"

const char *mkov2_error_text(int error) {
  switch (error) {
    case EPERM:
      return "Operation not permitted";
    case ENOENT:
      return "No such file or directory";
    case EINTR:
      return "Interrupted system call";
    case EIO:
      return "Input/output error";
    case ENXIO:
      return "No such device or address";
    case EBADF:
      return "Bad file descriptor";
    case EAGAIN:
      return "Resource temporarily unavailable";
    case ENOMEM:
      return "Cannot allocate memory";
    case EACCES:
      return "Permission denied";
    case EFAULT:
      return "Bad address";
    case EBUSY:
      return "Device or resource busy";
    case EEXIST:
      return "File exists";
    case EXDEV:
      return "Invalid cross-device link";
    case ENODEV:
      return "No such device";
    case ENOTDIR:
      return "Not a directory";
    case EISDIR:
      return "Is a directory";
    case EINVAL:
      return "Invalid argument";
    case ENFILE:
      return "Too many open files in system";
    case EMFILE:
      return "Too many open files";
    case ETXTBSY:
      return "Text file busy";
    case EFBIG:
      return "File too large";
    case ENOSPC:
      return "No space left on device";
    case ESPIPE:
      return "Illegal seek";
    case EROFS:
      return "Read-only file system";
    case EMLINK:
      return "Too many links";
    case EPIPE:
      return "Broken pipe";
    case ENAMETOOLONG:
      return "File name too long";
    case ELOOP:
      return "Too many levels of symbolic links";
    case EOVERFLOW:
      return "Value too large for defined data type";
    case EOPNOTSUPP:
      return "Operation not supported";
    case EDQUOT:
      return "Disk quota exceeded";
    case ESTALE:
      return "Stale file handle";
    case ENOLCK:
      return "No locks available";
    case ENOSYS:
      return "Function not implemented";
    case ENOTEMPTY:
      return "Directory not empty";
    case ETIMEDOUT:
      return "Connection timed out";
    case ECONNREFUSED:
      return "Connection refused";
    case EHOSTDOWN:
      return "Host is down";
    case ENOTCONN:
      return "Transport endpoint is not connected";
    case EREMOTEIO:
      return "Remote I/O error";
    case ENOMEDIUM:
      return "No medium found";
    case EILSEQ:
      return "Invalid or incomplete multibyte or wide character";
    case ERANGE:
      return "Numerical result out of range";
    case EDEADLK:
      return "Resource deadlock avoided";
    case ENOBUFS:
      return "No buffer space available";
    case E2BIG:
      return "Argument list too long";
    case ECHILD:
      return "No child processes";
    case ENOTBLK:
      return "Block device required";
    case ENOTTY:
      return "Inappropriate ioctl for device";
    case EDOM:
      return "Numerical argument out of domain";
    case ESRCH:
      return "No such process";
    case ENOEXEC:
      return "Exec format error";
    default:
      return strerror(error);
  }
}
