// The library as the player uses it: window.RdCmi5Lib.Cmi5.
export { default as Cmi5 } from '@xapi/cmi5';
