// The names an image may take. Besides being a C identifier and no keyword
// of C or C++, a name must not be one that a program including the header
// already uses: the C library's names (each standard header's, and those
// that glibc's <stdio.h>, <stdlib.h> and <string.h> declare by default),
// <avr/pgmspace.h>'s, for the documented AVR recipe, and main and std. Its
// macros must be free too: "size" would define SIZE_WIDTH, which C23's
// <stdint.h> defines. Words of the lists may hold {a,b} groups, expanded
// to every choice, so that families such as {,u}int{8,16,32,64}_t stand in
// one word.
#include "image_name.hpp"

#include <algorithm>
#include <set>

namespace bmp4c {
namespace {

// Keywords of C (C23 included) and C++ (C++20).
constexpr std::string_view keywords =
    "_Alignas _Alignof _Atomic _BitInt _Bool _Complex _Decimal128 _Decimal32 _Decimal64 _Generic "
    "_Imaginary _Noreturn _Static_assert _Thread_local alignas alignof and and_eq asm auto bitand "
    "bitor bool break case catch char char16_t char32_t char8_t class co_await co_return co_yield "
    "compl concept const const_cast consteval constexpr constinit continue decltype default delete "
    "do double dynamic_cast else enum explicit export extern false float for friend goto if inline "
    "int long mutable namespace new noexcept not not_eq nullptr operator or or_eq private "
    "protected public register reinterpret_cast requires restrict return short signed sizeof "
    "static static_assert static_cast struct switch template this thread_local throw true try "
    "typedef typeid typename typeof typeof_unqual union unsigned using virtual void volatile "
    "wchar_t while xor xor_eq";

// What the C standard headers declare or define, header by header, then
// what glibc adds to them by default, then <avr/pgmspace.h>.
constexpr std::string_view library =
    // <assert.h> <complex.h> <ctype.h> <errno.h> <fenv.h> <float.h>
    "assert NDEBUG complex imaginary I _Complex_I _Imaginary_I CMPLX{,F,L} "
    "c{abs,acos,acosh,arg,asin,asinh,atan,atanh,cos,cosh,exp,imag,log,pow,proj,real,sin,sinh,"
    "sqrt,tan,tanh}{,f,l} conj{,f,l} "
    "is{alnum,alpha,blank,cntrl,digit,graph,lower,print,punct,space,upper,xdigit,ascii} "
    "to{lower,upper,ascii} errno EDOM EILSEQ ERANGE fenv_t fexcept_t "
    "fe{clearexcept,getexceptflag,raiseexcept,setexceptflag,testexcept,getround,setround,getenv,"
    "holdexcept,setenv,updateenv} "
    "FE_{DIVBYZERO,INEXACT,INVALID,OVERFLOW,UNDERFLOW,ALL_EXCEPT,DOWNWARD,TONEAREST,TOWARDZERO,"
    "UPWARD,DFL_ENV} FLT_{RADIX,ROUNDS,EVAL_METHOD} DECIMAL_DIG "
    "{FLT,DBL,LDBL}_{MANT_DIG,DIG,MIN_EXP,MIN_10_EXP,MAX_EXP,MAX_10_EXP,MAX,EPSILON,MIN,TRUE_MIN,"
    "DECIMAL_DIG,HAS_SUBNORM,NORM_MAX} "
    // <inttypes.h> <limits.h> <locale.h> <math.h>
    "imaxabs imaxdiv imaxdiv_t strtoimax strtoumax wcstoimax wcstoumax "
    "{PRI,SCN}{d,i,o,u,x,X}{8,16,32,64,LEAST8,LEAST16,LEAST32,LEAST64,FAST8,FAST16,FAST32,FAST64,"
    "MAX,PTR} CHAR_BIT MB_LEN_MAX BITINT_MAXWIDTH BOOL_{MAX,WIDTH} "
    "{CHAR,SCHAR,UCHAR,SHRT,USHRT,INT,UINT,LONG,ULONG,LLONG,ULLONG}_{MIN,MAX,WIDTH} "
    "lconv setlocale localeconv LC_{ALL,COLLATE,CTYPE,MONETARY,NUMERIC,TIME,MESSAGES} "
    "float_t double_t HUGE_VAL{,F,L} INFINITY NAN FP_{INFINITE,NAN,NORMAL,SUBNORMAL,ZERO,FAST_FMA,"
    "FAST_FMAF,FAST_FMAL,ILOGB0,ILOGBNAN} MATH_{ERRNO,ERREXCEPT} math_errhandling fpclassify "
    "isfinite isinf isnan isnormal signbit is{greater,greaterequal,less,lessequal,lessgreater,"
    "unordered} "
    "{acos,asin,atan,atan2,cos,sin,tan,acosh,asinh,atanh,cosh,sinh,tanh,exp,exp2,expm1,frexp,ilogb,"
    "ldexp,log,log10,log1p,log2,logb,modf,scalbn,scalbln,cbrt,fabs,hypot,pow,sqrt,erf,erfc,lgamma,"
    "tgamma,ceil,floor,nearbyint,rint,lrint,llrint,round,lround,llround,trunc,fmod,remainder,"
    "remquo,copysign,nan,nextafter,nexttoward,fdim,fmax,fmin,fma,exp10,gamma,j0,j1,jn,y0,y1,yn,"
    "drem,significand,finite,roundeven}{,f,l} "
    // <setjmp.h> <signal.h> <stdarg.h> <stdatomic.h> <stdbool.h> <stddef.h>
    "jmp_buf setjmp longjmp sig_atomic_t SIG_{DFL,ERR,IGN} SIG{ABRT,FPE,ILL,INT,SEGV,TERM} signal "
    "raise va_list va_arg va_copy va_end va_start atomic_flag memory_order kill_dependency "
    "atomic_{bool,char,schar,uchar,short,ushort,int,uint,long,ulong,llong,ullong,char8_t,char16_t,"
    "char32_t,wchar_t,intptr_t,uintptr_t,size_t,ptrdiff_t,intmax_t,uintmax_t,init,is_lock_free,"
    "store,load,exchange,fetch_add,fetch_sub,fetch_or,fetch_xor,fetch_and,thread_fence,"
    "signal_fence,flag_test_and_set,flag_clear} "
    "__bool_true_false_are_defined ptrdiff_t size_t max_align_t nullptr_t NULL offsetof "
    "unreachable "
    // <stdint.h> <stdio.h>
    "{,u}int{8,16,32,64,ptr,max}_t {,u}int_{least,fast}{8,16,32,64}_t "
    "{,U}INT{8,16,32,64,PTR,MAX}_{MIN,MAX,WIDTH} {,U}INT_{LEAST,FAST}{8,16,32,64}_{MIN,MAX,WIDTH} "
    "{PTRDIFF,SIG_ATOMIC,SIZE,WCHAR,WINT}_{MIN,MAX,WIDTH} {,U}INT{8,16,32,64,MAX}_C "
    "FILE fpos_t _IOFBF _IOLBF _IONBF BUFSIZ EOF FOPEN_MAX FILENAME_MAX L_tmpnam "
    "SEEK_{CUR,END,SET} "
    "TMP_MAX stdin stdout stderr remove rename tmpfile tmpnam fclose fflush fopen freopen setbuf "
    "setvbuf {,f,s,sn,v,vf,vs,vsn}printf {,f,s,v,vf,vs}scanf fgetc fgets fputc fputs getc getchar "
    "putc putchar puts ungetc fread fwrite fgetpos fseek fsetpos ftell rewind clearerr feof ferror "
    "perror "
    // <stdlib.h> <string.h>
    "div_t ldiv_t lldiv_t EXIT_FAILURE EXIT_SUCCESS RAND_MAX MB_CUR_MAX atof atoi atol atoll "
    "strto{d,f,ld,l,ll,ul,ull} strfrom{d,f,l} rand srand aligned_alloc calloc free malloc realloc "
    "free_sized free_aligned_sized memalignment abort atexit at_quick_exit exit _Exit getenv "
    "quick_exit system bsearch qsort abs labs llabs div ldiv lldiv mblen mbtowc wctomb mbstowcs "
    "wcstombs memcpy memccpy memmove memset memset_explicit memcmp memchr strcpy strncpy strcat "
    "strncat strcmp strncmp strcoll strxfrm strchr strrchr strspn strcspn strpbrk strstr strtok "
    "strerror strlen strdup strndup "
    // <time.h> <uchar.h> <wchar.h> <wctype.h> <threads.h> <stdnoreturn.h> <stdckdint.h>
    "clock_t time_t tm timespec CLOCKS_PER_SEC TIME_UTC clock difftime mktime time timespec_get "
    "asctime ctime gmtime localtime strftime gmtime_r localtime_r timegm mbstate_t mbrtoc{8,16,32} "
    "c{8,16,32}rtomb wint_t WEOF {,v}{f,s,}w{printf,scanf} fgetwc fgetws fputwc fputws fwide getwc "
    "getwchar putwc putwchar ungetwc wcsto{d,f,ld,l,ll,ul,ull} wcs{cpy,ncpy,cat,ncat,cmp,coll,ncmp,"
    "xfrm,chr,cspn,pbrk,rchr,spn,str,tok,len,ftime,rtombs} wmem{cpy,move,cmp,chr,set} btowc wctob "
    "mbsinit mbrlen mbrtowc wcrtomb mbsrtowcs wctrans_t wctype_t "
    "isw{alnum,alpha,blank,cntrl,digit,graph,lower,print,punct,space,upper,xdigit,ctype} wctype "
    "tow{lower,upper,ctrans} wctrans thrd_t thrd_start_t mtx_t cnd_t tss_t tss_dtor_t once_flag "
    "call_once ONCE_FLAG_INIT TSS_DTOR_ITERATIONS "
    "thrd_{create,current,detach,equal,exit,join,sleep,"
    "yield,success,busy,error,nomem,timedout} "
    "mtx_{init,lock,timedlock,trylock,unlock,destroy,plain,"
    "recursive,timed} cnd_{broadcast,destroy,init,signal,timedwait,wait} "
    "tss_{create,delete,get,set} "
    "noreturn ckd_{add,sub,mul} "
    // glibc by default: POSIX and BSD names in <stdio.h>, <stdlib.h>, <string.h>, and the types
    // of <sys/types.h>, which <stdlib.h> brings
    "fileno fdopen popen pclose getline getdelim dprintf vdprintf ctermid fmemopen open_memstream "
    "flockfile ftrylockfile funlockfile {getc,getchar,putc,putchar}_unlocked fseeko ftello getw "
    "putw setbuffer setlinebuf tempnam renameat P_tmpdir L_ctermid off_t ssize_t random srandom "
    "initstate setstate {d,e,l,n,m,j}rand48 srand48 seed48 lcong48 rand_r putenv setenv unsetenv "
    "clearenv mkstemp mkdtemp mktemp realpath posix_memalign valloc alloca ecvt fcvt gcvt "
    "getsubopt a64l l64a grantpt posix_openpt ptsname unlockpt strtok_r strnlen stpcpy stpncpy "
    "strsignal strerror_r strcasecmp strncasecmp index rindex bcopy bzero bcmp ffs explicit_bzero "
    "u_char u_short u_int u_long ushort uint ulong quad_t u_quad_t dev_t ino_t pid_t uid_t gid_t "
    "mode_t key_t id_t nlink_t blkcnt_t blksize_t fd_set fd_mask select pselect "
    "FD_{SET,CLR,ISSET,ZERO,SETSIZE} LITTLE_ENDIAN BIG_ENDIAN PDP_ENDIAN BYTE_ORDER "
    // <avr/pgmspace.h>
    "PROGMEM PGM_P PGM_VOID_P PSTR pgm_read_{byte,word,dword,float,ptr}{,_near,_far} "
    "prog_{void,char,uchar,int8_t,uint8_t,int16_t,uint16_t,int32_t,uint32_t,int64_t,uint64_t} "
    "{memchr,memcmp,memcpy,memmem,memrchr,strcasecmp,strcat,strchr,strcmp,strcpy,strcspn,strlen,"
    "strncasecmp,strncat,strncmp,strncpy,strnlen,strpbrk,strrchr,strsep,strspn,strstr,strtok,"
    "strlcat,strlcpy}_P";

// A word with its first {a,b} group expanded, each choice added to the
// names (and expanded in turn).
void addexpanded(std::string_view word, std::set<std::string, std::less<>> &names) {
  const std::size_t open = word.find('{');
  if (open == std::string_view::npos) {
    names.emplace(word);
    return;
  }
  const std::size_t close = word.find('}', open);
  const std::string_view before = word.substr(0, open), after = word.substr(close + 1);
  std::string_view choices = word.substr(open + 1, close - open - 1);
  for (std::size_t comma = 0; comma != std::string_view::npos; choices.remove_prefix(comma + 1)) {
    comma = choices.find(',');
    addexpanded(std::string(before) + std::string(choices.substr(0, comma)) + std::string(after),
                names);
    if (comma == std::string_view::npos) break;
  }
}

const std::set<std::string, std::less<>> &taken() {
  static const std::set<std::string, std::less<>> names = [] {
    std::set<std::string, std::less<>> all;
    for (const std::string_view list : {keywords, library}) {
      for (std::size_t at = 0; at < list.size();) {
        const std::size_t end = std::min(list.find(' ', at), list.size());
        if (end > at) addexpanded(list.substr(at, end - at), all);
        at = end + 1;
      }
    }
    return all;
  }();
  return names;
}

bool isidentifier(std::string_view name) {
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  return !name.empty() && letter(name[0]) &&
         std::all_of(name.begin(), name.end(), [&](char c) { return letter(c) || digit(c); });
}

// Words of a list stand between blanks, or at its ends.
bool iskeyword(std::string_view name) {
  for (std::size_t at = keywords.find(name); at != std::string_view::npos;
       at = keywords.find(name, at + 1)) {
    const std::size_t end = at + name.size();
    if ((at == 0 || keywords[at - 1] == ' ') && (end == keywords.size() || keywords[end] == ' '))
      return true;
  }
  return false;
}

// The first of the header's macros that the library defines, or "".
std::string takenmacro(std::string_view name) {
  for (const char *const size : {"_WIDTH", "_HEIGHT", "_TILES"}) {
    const std::string macro = uppercase(name) + size;
    if (taken().contains(macro)) return macro;
  }
  return "";
}

} // namespace

std::string uppercase(std::string_view name) {
  std::string upper(name);
  for (char &c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return upper;
}

std::string refusedname(std::string_view name) {
  std::string quoted(1, '"');
  quoted.append(name) += '"';
  if (!isidentifier(name) || iskeyword(name)) {
    return "takes a C name: ASCII letters, digits and _, not a digit first, and no keyword, not " +
           quoted;
  }
  const std::string refused = "takes no " + quoted + ": ";
  if (name[0] == '_' || name.find("__") != name.npos) {
    return refused + "C and C++ keep names that start with _ or hold __ for themselves";
  }
  if (uppercase(name).starts_with("BMP4C_")) {
    return refused + "names that start with BMP4C_ are bmp4c's own, such as BMP4C_FLASH";
  }
  if (name == "main") return refused + "it is the name of every C program's entry point";
  if (name == "std") return refused + "it is the name of C++'s standard library";
  if (taken().contains(name)) {
    return refused + "a program that includes the C library's headers or <avr/pgmspace.h> "
                     "already has that name";
  }
  if (const std::string macro = takenmacro(name); !macro.empty()) {
    return refused + "its macro " + macro + " is one that the C library defines";
  }
  return "";
}

} // namespace bmp4c
