! Writes reference vectors with gfortran: formatted output of numbers with
! I, F, E, D, ES, EN and G edit descriptors, and list-directed reads of the
! records in a corpus file.
!
!   gfortran_vectors format OUT          formatted-output vectors
!   gfortran_vectors list CORPUS OUT     list-directed read results
!
! Reals are written as the hexadecimal image of their bits so that the
! reader of the vectors sees exactly the value gfortran formatted.
program gfortran_vectors
  use, intrinsic :: iso_fortran_env, only: int32, int64, real32, real64
  use, intrinsic :: ieee_arithmetic
  implicit none
  character(len=512) :: mode, arg1, arg2
  character(len=10), parameter :: real_formats(47) = [character(len=10) :: &
    'F10.5', 'F8.3', 'F6.2', 'F5.2', 'F4.1', 'F3.1', 'F3.0', 'F2.0', 'F1.0', 'F12.0', &
    'F0.3', 'F0.0', 'F15.10', 'F25.15', 'F40.20', 'E10.3', 'E9.3', 'E8.3', 'E12.4E3', 'E12.4E1', &
    'E15.7', 'E24.16', 'E7.1', 'E30.20E4', 'D12.4', 'ES12.4', 'ES10.0', 'EN12.4', 'EN14.3', 'EN9.0', &
    'G10.3', 'G12.5', 'G15.5E2', 'G9.3', 'G8.3', 'G7.2', 'G12.4E1', 'G25.16', 'G6.1', 'G14.6', &
    'G11.1', 'G5.1', 'G3.1', 'G9.3E3', 'ES9.2E3', 'EN10.2E1', 'D8.1']
  character(len=10), parameter :: int_formats(14) = [character(len=10) :: &
    'I1', 'I2', 'I3', 'I5', 'I11', 'I0', 'I2.2', 'I5.3', 'I5.0', 'I0.3', 'I12.11', 'I20', &
    'G10.3', 'I0.0']

  call get_command_argument(1, mode)
  call get_command_argument(2, arg1)
  call get_command_argument(3, arg2)
  select case (trim(mode))
  case ('format')
    call format_vectors(trim(arg1))
  case ('list')
    call list_vectors(trim(arg1), trim(arg2))
  case default
    write (*, '(A)') 'usage: gfortran_vectors format OUT | list CORPUS OUT'
    stop 2
  end select

contains

  ! A small deterministic generator (64-bit LCG, top bits used).
  integer(int64) function next_random(state)
    integer(int64), intent(inout) :: state
    state = state * 6364136223846793005_int64 + 1442695040888963407_int64
    next_random = ishft(state, -11)
  end function

  ! One field written with `desc`; "!" when the write fails. The "|" marker
  ! keeps trailing blanks of the field visible.
  function field(desc, v8, v4, iv, kind) result(out)
    character(len=*), intent(in) :: desc
    real(real64), intent(in) :: v8
    real(real32), intent(in) :: v4
    integer(int64), intent(in) :: iv
    integer, intent(in) :: kind
    character(len=:), allocatable :: out
    character(len=400) :: buf
    integer :: ios, bar
    buf = ''
    select case (kind)
    case (8)
      write (buf, '(' // desc // ',"|")', iostat=ios) v8
    case (4)
      write (buf, '(' // desc // ',"|")', iostat=ios) v4
    case default
      write (buf, '(' // desc // ',"|")', iostat=ios) iv
    end select
    if (ios /= 0) then
      out = '!|'
      return
    end if
    bar = index(buf, '|', back=.true.)
    out = buf(1:bar)
  end function

  subroutine format_vectors(path)
    character(len=*), intent(in) :: path
    real(real64), parameter :: specials(*) = [ &
      0d0, 1d0, 0.5d0, 0.125d0, 0.375d0, 0.625d0, 2.5d0, 9.5d0, 99.5d0, 999.5d0, 0.05d0, 0.95d0, &
      0.995d0, 9.995d0, 0.0625d0, 0.03125d0, 1d-5, 0.1d0, 0.09996d0, 0.099996d0, 99.96d0, 999.96d0, &
      9999.5d0, 99999.5d0, 1d10, 1d15, 1d22, 1d100, 1d-100, 1d300, 1d-300, 51.23804d0, 12345.678d0, &
      0.001d0, 1d-10, 3.14159265358979d0, 2.718281828459045d0, 1d5, 1d6, 123456.7d0, 0.00049d0, &
      0.0005d0, 0.00051d0, 5d-6, 4.5d0, 5.5d0, 0.45d0, 0.55d0, 1.25d0, 1.75d0, 1023.5d0, 65536d0, &
      2147483647d0, 4294967296d0, 1d99, 1d-99, 9.99999d99, 1d-98, 0.99999d0, 0.999999d0, 9.9999d0]
    integer :: u, i, j, sign_pass
    integer(int64) :: state, r, bits
    real(real64) :: v8
    real(real32) :: v4
    character(len=:), allocatable :: line

    open (newunit=u, file=path, status='replace', action='write')
    write (u, '(A)') '# Formatted output written by gfortran; regenerate with gfortran_vectors.'

    ! Doubles: fixed cases with both signs, IEEE specials, then random ones.
    write (u, '(A)', advance='no') '#R8'
    do j = 1, size(real_formats)
      write (u, '(A)', advance='no') ' ' // trim(real_formats(j))
    end do
    write (u, '(A)') ''
    do sign_pass = 1, 2
      do i = 1, size(specials)
        v8 = specials(i)
        if (sign_pass == 2) v8 = -v8
        call emit_real8(u, v8)
      end do
    end do
    call emit_real8(u, huge(1d0))
    call emit_real8(u, -huge(1d0))
    call emit_real8(u, tiny(1d0))
    call emit_real8(u, tiny(1d0) / 2d0**52)
    call emit_real8(u, -tiny(1d0) / 2d0**30)
    call emit_real8(u, ieee_value(1d0, ieee_positive_inf))
    call emit_real8(u, ieee_value(1d0, ieee_negative_inf))
    call emit_real8(u, ieee_value(1d0, ieee_quiet_nan))
    state = 20260815_int64
    do i = 1, 230
      r = next_random(state)
      select case (mod(i, 4))
      case (0)   ! any finite double
        bits = ior(ishft(next_random(state), 11), iand(r, 2047_int64))
        v8 = transfer(bits, v8)
        if (.not. ieee_is_finite(v8)) v8 = 1.5d0
      case (1)   ! ties and near-ties: a few binary digits after the point
        v8 = real(mod(r, 200000_int64) - 100000, real64) / 2d0**int(mod(r / 7, 9_int64))
      case (2)   ! decimals of a few digits, the usual content of a field
        v8 = real(mod(r, 2000000_int64) - 1000000, real64) / 10d0**int(mod(r / 11, 8_int64))
      case default   ! wide range of magnitudes
        v8 = (real(mod(r, 1000000_int64), real64) / 1d6 + 0.1d0) * 10d0**int(mod(r / 13, 40_int64) - 20)
        if (mod(r, 3_int64) == 0) v8 = -v8
      end select
      call emit_real8(u, v8)
    end do

    ! Singles: a narrower set of formats is enough, the digits are the same
    ! machinery; their value is that they check single-precision inputs.
    write (u, '(A)') '#R4 F10.5 F6.2 E12.4 G15.5E2 G10.3 ES12.4 F0.3'
    do i = 1, 120
      r = next_random(state)
      if (mod(i, 2) == 0) then
        v4 = real(real(mod(r, 2000000_int64) - 1000000, real64) / 10d0**int(mod(r / 11, 7_int64)), real32)
      else
        v4 = transfer(int(iand(r, 2139095039_int64), int32), v4)
      end if
      line = z8(v4)
      line = line // '|' // field('F10.5', 0d0, v4, 0_int64, 4) // field('F6.2', 0d0, v4, 0_int64, 4)
      line = line // field('E12.4', 0d0, v4, 0_int64, 4) // field('G15.5E2', 0d0, v4, 0_int64, 4)
      line = line // field('G10.3', 0d0, v4, 0_int64, 4) // field('ES12.4', 0d0, v4, 0_int64, 4)
      line = line // field('F0.3', 0d0, v4, 0_int64, 4)
      write (u, '(A)') line
    end do

    write (u, '(A)', advance='no') '#I'
    do j = 1, size(int_formats)
      write (u, '(A)', advance='no') ' ' // trim(int_formats(j))
    end do
    write (u, '(A)') ''
    call emit_integer(u, 0_int64)
    call emit_integer(u, -1_int64)
    call emit_integer(u, huge(1_int64))
    call emit_integer(u, -huge(1_int64) - 1)
    call emit_integer(u, int(huge(1_int32), int64))
    call emit_integer(u, -int(huge(1_int32), int64) - 1)
    do i = 1, 150
      r = next_random(state)
      call emit_integer(u, mod(r, 10_int64**int(mod(r / 17, 12_int64) + 1)) - 10_int64**int(mod(r / 17, 12_int64)) / 2)
    end do
    close (u)

  end subroutine

  subroutine emit_real8(u, v)
    integer, intent(in) :: u
    real(real64), intent(in) :: v
    character(len=:), allocatable :: text
    integer :: k
    write (u, '(Z16.16,A)', advance='no') v, '|'
    do k = 1, size(real_formats)
      text = field(trim(real_formats(k)), v, 0.0, 0_int64, 8)
      write (u, '(A)', advance='no') text
    end do
    write (u, '(A)') ''
  end subroutine

  subroutine emit_integer(u, v)
    integer, intent(in) :: u
    integer(int64), intent(in) :: v
    integer :: k
    write (u, '(I0,A)', advance='no') v, '|'
    do k = 1, size(int_formats)
      write (u, '(A)', advance='no') field(trim(int_formats(k)), 0d0, 0.0, v, 0)
    end do
    write (u, '(A)') ''
  end subroutine

  function z8(v) result(s)
    real(real32), intent(in) :: v
    character(len=8) :: s
    write (s, '(Z8.8)') v
  end function

  ! Corpus lines are "KIND|record". KIND names the item list of the read:
  !   J one integer, S one real(4), T one real(8), K one character(6),
  !   I five integers, R five real(4), D five real(8), C five character(6),
  !   M integer, real(4), real(8), character(6), integer.
  ! Output per line: the iostat class (0, -1 end, 1 error) and every item
  ! after the read; items start as -777 / "@@@@@@" so unchanged ones show.
  subroutine list_vectors(corpus, path)
    character(len=*), intent(in) :: corpus, path
    character(len=256) :: line
    character(len=:), allocatable :: rec, out
    character(len=6) :: c(5)
    integer(int32) :: iv(5)
    real(real32) :: r4(5)
    real(real64) :: r8(5)
    integer :: uin, uout, ios, rios, bar, k
    character(len=1) :: kind

    open (newunit=uin, file=corpus, status='old', action='read')
    open (newunit=uout, file=path, status='replace', action='write')
    do
      read (uin, '(A)', iostat=rios) line
      if (rios /= 0) exit
      if (line(1:1) == '#' .or. len_trim(line) == 0) cycle
      bar = index(line, '|')
      kind = line(1:1)
      rec = line(bar + 1:)
      iv = -777
      r4 = -777.0
      r8 = -777d0
      c = '@@@@@@'
      select case (kind)
      case ('J'); read (rec, *, iostat=ios) iv(1)
      case ('S'); read (rec, *, iostat=ios) r4(1)
      case ('T'); read (rec, *, iostat=ios) r8(1)
      case ('K'); read (rec, *, iostat=ios) c(1)
      case ('I'); read (rec, *, iostat=ios) iv
      case ('R'); read (rec, *, iostat=ios) r4
      case ('D'); read (rec, *, iostat=ios) r8
      case ('C'); read (rec, *, iostat=ios) c
      case ('M'); read (rec, *, iostat=ios) iv(1), r4(1), r8(1), c(1), iv(2)
      case default
        ios = 999
      end select
      out = kind // '|' // trim(istr(sign(min(abs(ios), 1), ios)))
      select case (kind)
      case ('J'); out = out // '|' // trim(istr(iv(1)))
      case ('S'); out = out // '|' // z8(r4(1))
      case ('T'); out = out // '|' // z16(r8(1))
      case ('K'); out = out // '|[' // c(1) // ']'
      case ('I')
        do k = 1, 5
          out = out // '|' // trim(istr(iv(k)))
        end do
      case ('R')
        do k = 1, 5
          out = out // '|' // z8(r4(k))
        end do
      case ('D')
        do k = 1, 5
          out = out // '|' // z16(r8(k))
        end do
      case ('C')
        do k = 1, 5
          out = out // '|[' // c(k) // ']'
        end do
      case ('M')
        out = out // '|' // trim(istr(iv(1))) // '|' // z8(r4(1)) // '|' // z16(r8(1)) // &
              '|[' // c(1) // ']|' // trim(istr(iv(2)))
      end select
      write (uout, '(A)') out
    end do
    close (uin)
    close (uout)
  end subroutine

  function istr(v) result(s)
    integer, intent(in) :: v
    character(len=12) :: s
    write (s, '(I0)') v
  end function

  function z16(v) result(s)
    real(real64), intent(in) :: v
    character(len=16) :: s
    write (s, '(Z16.16)') v
  end function

end program gfortran_vectors
